// Writes the placeholder of each image of the firmware images' table (src/res/firmware_images.txt) into a
// folder, for builds that are not given the real images. Refuses when an image's bytes do not have the
// table's placeholder checksum: the table and the pattern then disagree, and a build must not carry either.
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "emulator/fnv1a64.h"
#include "emulator/placeholder_image.h"
#include "gen/firmware_images.h"

int main(int argc, char** argv) {
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::fprintf(stderr, "usage: gen_firmware FOLDER\nwrites");
        for (const firmware_images::Image& image : firmware_images::kImages) {
            std::fprintf(stderr, " %s", image.file);
        }
        std::fprintf(stderr, " into FOLDER\n");
        return argc == 2 ? 0 : 2;
    }
    const std::string folder = argv[1];
    for (const firmware_images::Image& image : firmware_images::kImages) {
        const std::string path = folder + "/" + image.file;
        const std::vector<uint8_t> bytes = emu::PlaceholderImage(image.id, image.size);
        emu::Fnv1a64 checksum;
        checksum.Update(bytes.data(), bytes.size());
        if (checksum.Value() != image.placeholderChecksum) {
            std::fprintf(stderr, "gen_firmware: the placeholder of image %d has checksum 0x%016" PRIx64
                         ", the table says 0x%016" PRIx64 "\n", image.id, checksum.Value(), image.placeholderChecksum);
            return 1;
        }
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
