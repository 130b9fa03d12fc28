// Which firmware images the device takes: each image code belongs to one image (and so one size), one
// boot-loader version and one update path.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "emulator/scenario.h"

namespace emu {

struct ImageKind {
    uint16_t code;
    int imageId;        // an image of kPlaceholderImages, which has its size
    bool directPath;    // the code the direct path (bcdDevice 1) sends
    std::optional<uint8_t> ubootVersion;  // none: any boot loader no other kind names
};

std::span<const ImageKind> ImageKinds();
std::optional<ImageKind> FindImageKind(uint16_t code);

// The image code the tool ought to send to this device.
uint16_t ExpectedImageCode(uint8_t ubootVersion, bool directPath);

// 0 when the device takes a firmware write of this code and size, otherwise the reject code
// (kRejectImage) for its status reply.
uint32_t CheckImage(const Scenario& scenario, uint16_t code, uint32_t size);

}  // namespace emu
