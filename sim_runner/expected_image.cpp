#include "sim_runner/expected_image.h"

#include <array>
#include <optional>

namespace sim_runner {
namespace {

struct Row {
  std::optional<uint8_t> bootLoader;  // none: every version no other row names
  int imageId;
  uint32_t size;
  uint16_t directCode;
  uint16_t standardCode;
};

constexpr std::array<Row, 3> kRows{{
    {4, 504, 8388608, 0x1001, 0x1002},
    {8, 505, 13633428, 0x1004, 0x1005},
    {std::nullopt, 501, 8388608, 0x0004, 0x0101},
}};

const Row& RowFor(uint8_t ubootVersion) {
  const Row* others = nullptr;
  for (const Row& row : kRows) {
    if (row.bootLoader == ubootVersion) return row;
    if (!row.bootLoader) others = &row;
  }
  return *others;
}

}  // namespace

ExpectedImage ExpectedImageFor(uint8_t ubootVersion, bool directPath) {
  const Row& row = RowFor(ubootVersion);
  return {row.imageId, directPath ? row.directCode : row.standardCode, row.size};
}

}  // namespace sim_runner
