// Running FNV-1a (64-bit) checksum: lets the device prove an image arrived byte for byte without a copy.
#pragma once

#include <cstddef>
#include <cstdint>

namespace emu {

class Fnv1a64 {
public:
    static constexpr uint64_t kOffsetBasis = 0xcbf29ce484222325ULL;
    static constexpr uint64_t kPrime = 0x100000001b3ULL;

    void Update(const uint8_t* data, size_t size) {
        for (size_t i = 0; i < size; ++i) {
            hash_ = (hash_ ^ data[i]) * kPrime;
        }
    }
    uint64_t Value() const { return hash_; }

private:
    uint64_t hash_ = kOffsetBasis;
};

}  // namespace emu
