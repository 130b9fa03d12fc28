#include "emulator/image_rules.h"

#include <array>

#include "emulator/placeholder_image.h"
#include "emulator/reject_codes.h"

namespace emu {

namespace {
// The emulator's own copy of the codes and boot loaders of src/res/firmware_images.txt, kept apart on purpose
// (see kPlaceholderImages); tests/update/image_copies_test.cpp holds it to the table.
constexpr std::array<ImageKind, 6> kImageKinds{{
    {0x1001, 504, true, 4},
    {0x1002, 504, false, 4},
    {0x1004, 505, true, 8},
    {0x1005, 505, false, 8},
    {0x0004, 501, true, std::nullopt},
    {0x0101, 501, false, std::nullopt},
}};

bool NamedByAKind(uint8_t ubootVersion) {
    for (const ImageKind& kind : kImageKinds) {
        if (kind.ubootVersion == ubootVersion) {
            return true;
        }
    }
    return false;
}
}  // namespace

std::span<const ImageKind> ImageKinds() {
    return kImageKinds;
}

std::optional<ImageKind> FindImageKind(uint16_t code) {
    for (const ImageKind& kind : kImageKinds) {
        if (kind.code == code) {
            return kind;
        }
    }
    return std::nullopt;
}

uint16_t ExpectedImageCode(uint8_t ubootVersion, bool directPath) {
    // A boot loader no kind names takes the kinds that name none.
    const bool named = NamedByAKind(ubootVersion);
    for (const ImageKind& kind : kImageKinds) {
        const bool bootLoaderFits = named ? kind.ubootVersion == ubootVersion : !kind.ubootVersion;
        if (bootLoaderFits && kind.directPath == directPath) {
            return kind.code;
        }
    }
    return 0;
}

uint32_t CheckImage(const Scenario& scenario, uint16_t code, uint32_t size) {
    const std::optional<ImageKind> kind = FindImageKind(code);
    if (!kind || PlaceholderSize(kind->imageId) != size) {
        return kRejectImage;
    }
    if (scenario.strictImageCheck && code != ExpectedImageCode(scenario.ubootVersion, scenario.bcdDevice == 1)) {
        return kRejectImage;
    }
    return 0;
}

}  // namespace emu
