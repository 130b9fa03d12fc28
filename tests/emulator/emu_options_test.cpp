#include <gtest/gtest.h>

#include <string>

#include "emulator/emu_options.h"

namespace {

TEST(EmuUsage, ListsTheImageOfEachBootLoaderFromTheDevicesOwnKinds) {
    const std::string usage = emu::EmuUsage();
    const char* const lines[] = {
        "\n  4       image 504, 8388608 bytes, code 0x1001 on the direct path, 0x1002 on the standard path\n",
        "\n  8       image 505, 13633428 bytes, code 0x1004 on the direct path, 0x1005 on the standard path\n",
        "\n  others  image 501, 8388608 bytes, code 0x0004 on the direct path, 0x0101 on the standard path\n",
    };
    for (const char* line : lines) {
        EXPECT_NE(usage.find(line), std::string::npos) << "no line" << line << "in:\n" << usage;
    }
}

}  // namespace
