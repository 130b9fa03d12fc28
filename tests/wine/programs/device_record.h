// The scanner's image-class device record, as the still-image USB install leaves it, so that the tool's
// SetupAPI walk finds it: the instance under Enum\USB\VID_1209&PID_0001 with its hardware IDs, class and
// driver key, and the driver key under the image class with the friendly name.
#pragma once

#include <string>

namespace rig {

bool WriteDeviceRecord(const std::wstring& friendlyName, std::string& error);

}  // namespace rig
