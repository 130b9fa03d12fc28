#include "emulator/image_rules.h"

#include <array>

#include "emulator/reject_codes.h"

namespace emu {

namespace {
constexpr uint8_t kUbootImage504 = 4, kUbootImage505 = 8;
constexpr std::array<ImageKind, 6> kImageKinds{{
    {0x1001, 504, 8388608, true, kUbootImage504},
    {0x1002, 504, 8388608, false, kUbootImage504},
    {0x1004, 505, 13633428, true, kUbootImage505},
    {0x1005, 505, 13633428, false, kUbootImage505},
    {0x0004, 501, 8388608, true, std::nullopt},
    {0x0101, 501, 8388608, false, std::nullopt},
}};
}  // namespace

std::optional<ImageKind> FindImageKind(uint16_t code) {
    for (const ImageKind& kind : kImageKinds) {
        if (kind.code == code) {
            return kind;
        }
    }
    return std::nullopt;
}

uint16_t ExpectedImageCode(uint8_t ubootVersion, bool directPath) {
    for (const ImageKind& kind : kImageKinds) {
        const bool bootLoaderFits = kind.ubootVersion ? *kind.ubootVersion == ubootVersion
                                                      : ubootVersion != kUbootImage504 && ubootVersion != kUbootImage505;
        if (bootLoaderFits && kind.directPath == directPath) {
            return kind.code;
        }
    }
    return 0;
}

uint32_t CheckImage(const Scenario& scenario, uint16_t code, uint32_t size) {
    const std::optional<ImageKind> kind = FindImageKind(code);
    if (!kind || kind->size != size) {
        return kRejectImage;
    }
    if (scenario.strictImageCheck && code != ExpectedImageCode(scenario.ubootVersion, scenario.bcdDevice == 1)) {
        return kRejectImage;
    }
    return 0;
}

}  // namespace emu
