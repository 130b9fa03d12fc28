// Which image a device gets, and the code the firmware write carries, by its boot-loader version and path: the
// firmware images' table (src/res/firmware_images.txt) as the program reads it.
#pragma once
#include <cstdint>

#include "gen/firmware_images.h"
#include "platform/win_types.h"

struct FirmwareChoice {
  WORD imageId;
  WORD imageCode;
};

// The table's image of that id, or null: an id it does not name is never taken for another image.
constexpr const firmware_images::Image* FindFirmwareImage(uint16_t id) {
  for (const firmware_images::Image& image : firmware_images::kImages) {
    if (image.id == id) return &image;
  }
  return nullptr;
}

constexpr uint16_t ImageForBootLoader(uint8_t ubootVersion) {
  for (const firmware_images::BootLoaderImage& rule : firmware_images::kBootLoaderImages) {
    if (rule.bootLoader == ubootVersion) return rule.imageId;
  }
  return firmware_images::kOtherBootLoadersImage;
}

constexpr FirmwareChoice ChooseFirmware(uint8_t ubootVersion, bool directPath) {
  // Each rule is written from an image's own line of the table, so the lookup finds it.
  const firmware_images::Image& image = *FindFirmwareImage(ImageForBootLoader(ubootVersion));
  return {image.id, directPath ? image.directCode : image.standardCode};
}
