#include "simhost/firmware_images.h"

#include <map>
#include <stdexcept>
#include <string>

#include "emulator/placeholder_image.h"
#include "gen/firmware_images.h"

namespace simhost {
namespace {

std::map<int, std::vector<uint8_t>> MakeImages() {
  std::map<int, std::vector<uint8_t>> images;
  for (const firmware_images::Image& image : firmware_images::kImages) {
    images.emplace(image.id, emu::PlaceholderImage(image.id, image.size));
  }
  return images;
}

}  // namespace

const std::vector<uint8_t>& PlaceholderFirmware(int id) {
  static const std::map<int, std::vector<uint8_t>> images = MakeImages();
  const auto found = images.find(id);
  if (found == images.end()) {
    throw std::out_of_range("no firmware image " + std::to_string(id) + " in src/res/firmware_images.txt");
  }
  return found->second;
}

}  // namespace simhost
