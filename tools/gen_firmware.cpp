// Writes the placeholder firmware images fw501.bin, fw504.bin and fw505.bin into a folder, for builds
// that are not given the real images.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "emulator/placeholder_image.h"

int main(int argc, char** argv) {
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::fprintf(stderr, "usage: gen_firmware FOLDER\nwrites fw501.bin fw504.bin fw505.bin into FOLDER\n");
        return argc == 2 ? 0 : 2;
    }
    const std::string folder = argv[1];
    for (const emu::PlaceholderSpec& spec : emu::kPlaceholderImages) {
        const std::string path = folder + "/fw" + std::to_string(spec.id) + ".bin";
        const std::vector<uint8_t> image = emu::PlaceholderImage(spec.id, spec.size);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "gen_firmware: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
