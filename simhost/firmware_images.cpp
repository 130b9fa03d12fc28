#include "simhost/firmware_images.h"

#include "emulator/placeholder_image.h"

namespace simhost {

const std::vector<uint8_t>& PlaceholderFirmware(int id) {
  static const std::vector<uint8_t> image501 = emu::PlaceholderImage(501, *emu::PlaceholderSize(501));
  static const std::vector<uint8_t> image504 = emu::PlaceholderImage(504, *emu::PlaceholderSize(504));
  static const std::vector<uint8_t> image505 = emu::PlaceholderImage(505, *emu::PlaceholderSize(505));
  switch (id) {
    case 504:
      return image504;
    case 505:
      return image505;
    default:
      return image501;
  }
}

}  // namespace simhost
