#include "sim/dialog_templates.h"

namespace sim {

std::vector<Control> TemplateControls(UINT templateId, std::wstring& caption) {
  auto make = [](int id, const wchar_t* className, const wchar_t* text, bool enabled = true, bool visible = true) {
    Control control;
    control.id = id;
    control.className = className;
    control.text = text;
    control.enabled = enabled;
    control.visible = visible;
    return control;
  };
  switch (templateId) {
    case 102:
      caption = L"Firmware Update Tool";
      return {make(1025, L"SysListView32", L"", true, false),
              make(1000, L"Button", L"Search Device"),
              make(1144, L"Button", L"Update", false),
              make(2, L"Button", L"Close"),
              make(1007, L"Static", L"Firmware Update Tool [Ver: xxx.xxx.xxx.xxx]"),
              make(1012, L"Static", L"Device Name:"),
              make(1013, L"Static", L"No Device"),
              make(1014, L"Static", L"Interface:"),
              make(1015, L"Static", L"USB"),
              make(1016, L"Static", L"Status:"),
              make(1017, L"Static", L"Ready")};
    case 100:
      caption = L"About FWUpdate";
      return {make(1180, L"Static", L"FWUpdate, Version 1.0"), make(1181, L"Static", L"Kavrel Tessaline firmware 0.68"),
              make(1, L"Button", L"OK")};
    default:
      return {};
  }
}

}  // namespace sim
