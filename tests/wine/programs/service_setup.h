// The rig's services in the prefix: the stand-in "stisvc" and the emulated usbscan driver.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace rig {

// Points "stisvc" at the stand-in (own process, automatic start), creating the service if Wine has none,
// and starts it. The error text says which step failed.
bool InstallStandIn(const std::wstring& imagePath, std::string& error);
// Creates or updates the kernel-driver service with its bridge ports (usbscan index, port), restarts it so
// that it reads them, and waits until it runs.
bool InstallDriver(const std::wstring& imagePath, const std::vector<std::pair<int, int>>& ports, std::string& error);

}  // namespace rig
