// The copies of the firmware images' table kept apart on purpose, the emulator's and sim_runner's observer's,
// held to the table itself (src/res/firmware_images.txt, as gen/firmware_images.h and ChooseFirmware read it):
// every id, size, code, boot-loader rule and checksum, over every boot-loader version and code there is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>

#include "emulator/bridge_protocol.h"
#include "emulator/image_rules.h"
#include "emulator/placeholder_image.h"
#include "emulator/reject_codes.h"
#include "gen/firmware_images.h"
#include "sim_runner/expected_image.h"
#include "update/image_table.h"

namespace {

constexpr int kBootLoaderVersions = 256;
constexpr int kImageCodes = 65536;

TEST(ImageCopies, TheEmulatorsPlaceholdersAreTheTablesImages) {
  std::set<int> emulatorIds;
  for (const emu::PlaceholderImageInfo& copy : emu::kPlaceholderImages) {
    emulatorIds.insert(copy.id);
    const firmware_images::Image* image = FindFirmwareImage(static_cast<uint16_t>(copy.id));
    ASSERT_NE(image, nullptr) << "the emulator has image " << copy.id << ", the table has not";
    EXPECT_EQ(copy.size, image->size) << "image " << copy.id;
    EXPECT_EQ(copy.checksum, image->placeholderChecksum) << "image " << copy.id;
  }
  for (const firmware_images::Image& image : firmware_images::kImages) {
    EXPECT_EQ(emulatorIds.count(image.id), 1u) << "the table has image " << image.id << ", the emulator has not";
  }
}

TEST(ImageCopies, TheEmulatorTakesEachCodeOfTheTableAndNoOther) {
  for (int code = 0; code < kImageCodes; ++code) {
    const std::optional<emu::ImageKind> kind = emu::FindImageKind(static_cast<uint16_t>(code));
    const firmware_images::Image* owner = nullptr;
    for (const firmware_images::Image& image : firmware_images::kImages) {
      if (image.directCode == code || image.standardCode == code) owner = &image;
    }
    ASSERT_EQ(kind.has_value(), owner != nullptr) << "code " << code;
    if (owner == nullptr) continue;
    EXPECT_EQ(kind->imageId, owner->id) << "code " << code;
    EXPECT_EQ(kind->directPath, owner->directCode == code) << "code " << code;
  }
}

TEST(ImageCopies, EveryBootLoaderAndPathGetsTheTablesImageFromEachCopy) {
  for (int version = 0; version < kBootLoaderVersions; ++version) {
    for (const bool direct : {true, false}) {
      const auto uboot = static_cast<uint8_t>(version);
      const FirmwareChoice table = ChooseFirmware(uboot, direct);
      const uint32_t size = FindFirmwareImage(table.imageId)->size;
      const std::string where = "boot loader " + std::to_string(version) + (direct ? " direct" : " standard");

      const uint16_t emulatorCode = emu::ExpectedImageCode(uboot, direct);
      EXPECT_EQ(emulatorCode, table.imageCode) << "emulator, " << where;
      const std::optional<emu::ImageKind> kind = emu::FindImageKind(emulatorCode);
      ASSERT_TRUE(kind.has_value()) << "emulator, " << where;
      EXPECT_EQ(kind->imageId, table.imageId) << "emulator, " << where;
      EXPECT_EQ(emu::PlaceholderSize(kind->imageId).value_or(0), size) << "emulator, " << where;

      const sim_runner::ExpectedImage observer = sim_runner::ExpectedImageFor(uboot, direct);
      EXPECT_EQ(observer.imageId, table.imageId) << "observer, " << where;
      EXPECT_EQ(observer.code, table.imageCode) << "observer, " << where;
      EXPECT_EQ(observer.size, size) << "observer, " << where;
    }
  }
}

TEST(ImageCopies, TheEmulatorsLimitsHoldTheLargestImage) {
  uint32_t largest = 0;
  for (const firmware_images::Image& image : firmware_images::kImages) largest = std::max(largest, image.size);
  EXPECT_EQ(emu::kMaxDataOut, largest);
  EXPECT_GT(BRIDGE_MAX_WRITE, largest);
}

}  // namespace
