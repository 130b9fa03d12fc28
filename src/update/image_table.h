// Which image a device gets, and the code the firmware write carries, by its boot-loader version and path.
#pragma once
#include <cstdint>

#include "platform/win_types.h"

struct FirmwareChoice {
  WORD imageId;
  WORD imageCode;
};

constexpr FirmwareChoice ChooseFirmware(uint8_t ubootVersion, bool directPath) {
  switch (ubootVersion) {
    case 4:
      return {504, static_cast<WORD>(directPath ? 0x1001 : 0x1002)};
    case 8:
      return {505, static_cast<WORD>(directPath ? 0x1004 : 0x1005)};
    default:
      return {501, static_cast<WORD>(directPath ? 0x0004 : 0x0101)};
  }
}
