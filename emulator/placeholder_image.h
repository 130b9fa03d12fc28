// Deterministic stand-ins for the firmware images, for builds that are not given the real ones.
// The pattern depends on the image id and on the position, so a swapped image, a shifted byte or a
// truncated transfer all change the checksum.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace emu {

struct PlaceholderImageInfo {
    int id;
    size_t size;
    uint64_t checksum;  // FNV-1a 64 of the whole image; known up front so a match costs nothing
};

// The emulator's own copy of the images of src/res/firmware_images.txt, with image_rules.cpp's kinds: kept
// apart on purpose, so that a mistake in the program's table is refused by the device instead of being
// matched by the same mistake. tests/update/image_copies_test.cpp holds the two to each other.
constexpr PlaceholderImageInfo kPlaceholderImages[] = {
    {501, 8388608, 0x246fa777ecf7a5c2ULL},
    {504, 8388608, 0x9ce5af001d1fc9dbULL},
    {505, 13633428, 0xb0cfc2df26263f32ULL},
};
constexpr size_t kLargestImageSize = std::ranges::max(kPlaceholderImages, {}, &PlaceholderImageInfo::size).size;

std::optional<size_t> PlaceholderSize(int id);

uint8_t PlaceholderByte(int id, size_t offset);
std::vector<uint8_t> PlaceholderImage(int id, size_t size);
// Fills `out` with bytes [offset, offset + size) of the image; lets a writer stream it in pieces.
void PlaceholderFill(int id, size_t offset, uint8_t* out, size_t size);
// FNV-1a 64 over the first `size` bytes, computed without holding the image.
uint64_t PlaceholderChecksum(int id, size_t size);

}  // namespace emu
