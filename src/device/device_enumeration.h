// The scanner's system record: its Plug and Play friendly name, read from the driver key of the first present
// image-class device whose hardware ID belongs to the scanner model. The scan-application locks are named
// after it. CFWUpdateDlg::FindDeviceFriendlyName walks the devices; this is the registry read it uses.
#pragma once
#include <string>

#include "platform/host.h"

// Value kinds of ReadFriendlyName: a text of up to 256 wide characters with its NUL; any other kind reads 4 bytes.
inline constexpr int kFriendlyNameText = 1;
inline constexpr size_t kFriendlyNameChars = 256;

// Reads the "FriendlyName" value of HKEY_LOCAL_MACHINE\keyPath into buffer (kFriendlyNameChars wide characters
// for a text). A text always ends with a NUL inside the buffer; one that does not fit fails.
bool ReadFriendlyName(plat::Host& host, const std::wstring& keyPath, int valueKind, WCHAR* buffer);
