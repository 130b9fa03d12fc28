// What outlives the tool in the registry while it holds the imaging service: the entry Windows runs at the next
// logon (the service given back after a power cut), and the mark that tells the next start an update was cut off.
#pragma once
#include <string>

#include "platform/host.h"

namespace guard {

inline constexpr const wchar_t* kRunOnceKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr const wchar_t* kRunOnceValue = L"FWUpdate service guard";
inline constexpr const wchar_t* kToolKey = L"SOFTWARE\\Kavrel\\FWUpdate";
inline constexpr const wchar_t* kCutOffValue = L"UpdateCutOff";

// The command the entry runs: the program itself, quoted, with the guard's switch for the start of Windows.
std::wstring StartUpCommand(plat::Host& host);

// Each is true when the registry did what was asked (a missing value counts as removed).
bool WriteStartUpEntry(plat::Host& host);
bool RemoveStartUpEntry(plat::Host& host);
bool HasStartUpEntry(plat::Host& host);
bool MarkCutOff(plat::Host& host);
// Whether the mark was there; it is removed, so the notice is given once.
bool TakeCutOffMark(plat::Host& host);

}  // namespace guard
