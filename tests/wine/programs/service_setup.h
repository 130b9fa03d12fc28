// The rig's services in the prefix: the stand-in "stisvc" and the emulated usbscan driver.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace rig {

// Points "stisvc" at the stand-in (own process, automatic start), creating the service if Wine has none,
// and starts it. The error text says which step failed.
bool InstallStandIn(const std::wstring& imagePath, std::string& error);
// Creates or updates the kernel-driver service with its bridge ports (usbscan index, port), restarts it so
// that it reads them, and waits until it runs.
// timeoutMs: how long the driver holds a request the scanner does not answer; none: usbscan's default.
bool InstallDriver(const std::wstring& imagePath, const std::vector<std::pair<int, int>>& ports,
                   std::optional<DWORD> timeoutMs, std::string& error);

}  // namespace rig
