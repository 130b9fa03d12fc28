// The controls of the program's dialog templates as the window model creates them: id, class, text and
// whether they start enabled and visible (as in src/res/fwupdate.rc).
#pragma once
#include <vector>

#include "sim/windows.h"

namespace sim {

std::vector<Control> TemplateControls(UINT templateId, std::wstring& caption);

}  // namespace sim
