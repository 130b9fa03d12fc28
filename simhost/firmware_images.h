// The placeholder firmware images the simulated program carries, those of the firmware images' table
// (src/res/firmware_images.txt): made once per test program and shared by every simulated process, read only,
// as the mapped resources of a real program file are. An id the table does not name is refused
// (std::out_of_range), never answered with another image's bytes.
#pragma once
#include <cstdint>
#include <vector>

namespace simhost {

const std::vector<uint8_t>& PlaceholderFirmware(int id);

}  // namespace simhost
