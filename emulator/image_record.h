// What arrived in the last firmware write: enough to prove the image came byte for byte (count and a
// running checksum), and the bytes themselves only when a test asks for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "emulator/fnv1a64.h"

namespace emu {

struct ImageWrite {
    bool seen = false;  // a firmware write block has arrived
    uint16_t code = 0;
    uint32_t size = 0;
    uint32_t rejectCode = 0;  // 0: accepted
    uint64_t received = 0;
    uint64_t checksum = Fnv1a64::kOffsetBasis;  // FNV-1a 64 of the bytes received
    bool complete = false;                     // all `size` bytes arrived
};

class ImageRecord {
public:
    void Begin(uint16_t code, uint32_t size, uint32_t rejectCode, bool keepBytes);
    void Take(const uint8_t* data, size_t size);
    void Finish();

    const ImageWrite& Last() const { return last_; }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    // The placeholder image whose bytes arrived, if the write is complete and one matches.
    std::optional<int> MatchingPlaceholder() const;

private:
    ImageWrite last_;
    Fnv1a64 running_;
    bool keepBytes_ = false;
    std::vector<uint8_t> bytes_;
};

}  // namespace emu
