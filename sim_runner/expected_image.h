// The image and code a scanner ought to receive, by its boot-loader version and path, as the observer judges a
// success. The runner's own table, kept apart from the program's (src/res/firmware_images.txt) on purpose: judged
// by the program's own ChooseFirmware, a mistake there would pass as right. tests/update/image_copies_test.cpp
// holds the two to each other.
#pragma once
#include <cstdint>

namespace sim_runner {

struct ExpectedImage {
  int imageId;
  uint16_t code;
  uint32_t size;
};

ExpectedImage ExpectedImageFor(uint8_t ubootVersion, bool directPath);

}  // namespace sim_runner
