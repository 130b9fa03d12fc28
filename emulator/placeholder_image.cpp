#include "emulator/placeholder_image.h"

#include <array>

#include "emulator/fnv1a64.h"

namespace emu {

namespace {

// splitmix64: every 8-byte word is a function of (id, word index) alone, so any byte can be computed
// without generating the bytes before it.
uint64_t Word(int id, size_t wordIndex) {
    uint64_t z = (static_cast<uint64_t>(static_cast<uint32_t>(id)) << 40) ^ static_cast<uint64_t>(wordIndex);
    z += 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

}  // namespace

std::optional<size_t> PlaceholderSize(int id) {
    for (const PlaceholderImageInfo& image : kPlaceholderImages) {
        if (image.id == id) {
            return image.size;
        }
    }
    return std::nullopt;
}

uint8_t PlaceholderByte(int id, size_t offset) {
    return static_cast<uint8_t>(Word(id, offset / 8) >> (8 * (offset % 8)));
}

void PlaceholderFill(int id, size_t offset, uint8_t* out, size_t size) {
    size_t i = 0;
    while (i < size && (offset + i) % 8 != 0) {
        out[i] = PlaceholderByte(id, offset + i);
        ++i;
    }
    for (; i + 8 <= size; i += 8) {
        const uint64_t word = Word(id, (offset + i) / 8);
        for (size_t b = 0; b < 8; ++b) {
            out[i + b] = static_cast<uint8_t>(word >> (8 * b));
        }
    }
    for (; i < size; ++i) {
        out[i] = PlaceholderByte(id, offset + i);
    }
}

std::vector<uint8_t> PlaceholderImage(int id, size_t size) {
    std::vector<uint8_t> image(size);
    PlaceholderFill(id, 0, image.data(), size);
    return image;
}

uint64_t PlaceholderChecksum(int id, size_t size) {
    Fnv1a64 checksum;
    std::array<uint8_t, 65536> piece{};
    for (size_t done = 0; done < size;) {
        const size_t n = size - done < piece.size() ? size - done : piece.size();
        PlaceholderFill(id, done, piece.data(), n);
        checksum.Update(piece.data(), n);
        done += n;
    }
    return checksum.Value();
}

}  // namespace emu
