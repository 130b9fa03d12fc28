// Wine's virtual desktop for the prefix's user. On a virtual display with no window manager, Wine then
// draws the windows' frames and captions itself, so screenshots show the window as a user sees it.
#pragma once

#include <string>

namespace rig {

// "1024x768" puts every window of the next session on a virtual desktop of that size; "none" takes it away.
bool SetVirtualDesktop(const std::wstring& size, std::string& error);

}  // namespace rig
