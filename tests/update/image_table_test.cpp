#include "update/image_table.h"

#include <gtest/gtest.h>

namespace {

TEST(ImageTable, TheBootLoaderVersionAndThePathPickImageAndCode) {
  struct Case {
    uint8_t uboot;
    bool direct;
    WORD image;
    WORD code;
  };
  const Case cases[] = {
      {4, true, 504, 0x1001},  {4, false, 504, 0x1002},   {8, true, 505, 0x1004},    {8, false, 505, 0x1005},
      {0, true, 501, 0x0004},  {0, false, 501, 0x0101},   {5, false, 501, 0x0101},   {255, true, 501, 0x0004},
      {255, false, 501, 0x0101},
  };
  for (const auto& c : cases) {
    const FirmwareChoice choice = ChooseFirmware(c.uboot, c.direct);
    EXPECT_EQ(choice.imageId, c.image) << "uboot " << int{c.uboot} << " direct " << c.direct;
    EXPECT_EQ(choice.imageCode, c.code) << "uboot " << int{c.uboot} << " direct " << c.direct;
  }
}

}  // namespace
