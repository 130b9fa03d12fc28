// The placeholder firmware images the simulated program carries: made once per test program and shared by
// every simulated process, read only, as the mapped resources of a real program file are.
#pragma once
#include <cstdint>
#include <vector>

namespace simhost {

const std::vector<uint8_t>& PlaceholderFirmware(int id);

}  // namespace simhost
