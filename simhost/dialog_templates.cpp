#include "simhost/dialog_templates.h"

namespace simhost {

std::vector<Control> TemplateControls(UINT templateId, std::wstring& caption) {
  for (const DialogTemplate& dialog : DialogTemplates()) {
    if (dialog.id != templateId) continue;
    caption = dialog.caption;
    std::vector<Control> controls;
    for (const TemplateControl& entry : dialog.controls) {
      Control control;
      control.id = entry.id;
      control.className = entry.className;
      control.text = entry.text;
      control.enabled = entry.enabled;
      control.visible = entry.visible;
      controls.push_back(control);
    }
    return controls;
  }
  return {};
}

}  // namespace simhost
