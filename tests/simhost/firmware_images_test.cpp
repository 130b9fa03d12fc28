#include "simhost/firmware_images.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "emulator/fnv1a64.h"
#include "gen/firmware_images.h"

namespace {

TEST(PlaceholderFirmware, EachImageOfTheTableHasItsSizeAndPlaceholderChecksum) {
  for (const firmware_images::Image& image : firmware_images::kImages) {
    const std::vector<uint8_t>& bytes = simhost::PlaceholderFirmware(image.id);
    EXPECT_EQ(bytes.size(), image.size) << "image " << image.id;
    emu::Fnv1a64 checksum;
    checksum.Update(bytes.data(), bytes.size());
    EXPECT_EQ(checksum.Value(), image.placeholderChecksum) << "image " << image.id;
  }
}

TEST(PlaceholderFirmware, AnIdTheTableDoesNotNameIsRefused) {
  // Neighbours of the table's ids, none, and one that names an image only when cut to 16 bits.
  for (const int id : {0, 500, 502, 503, 506, -1, 65536 + 501}) {
    EXPECT_THROW(simhost::PlaceholderFirmware(id), std::out_of_range) << "id " << id;
  }
}

}  // namespace
