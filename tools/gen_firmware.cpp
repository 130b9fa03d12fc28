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
    for (const emu::PlaceholderImageInfo& image : emu::kPlaceholderImages) {
        const std::string path = folder + "/fw" + std::to_string(image.id) + ".bin";
        const std::vector<uint8_t> bytes = emu::PlaceholderImage(image.id, image.size);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "gen_firmware: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
