// The program's dialog templates as the window model creates them: the caption and, for each control, id,
// class, text and whether it starts enabled and visible. The table is generated at build time from
// src/res/fwupdate.rc and src/res/resource.h (tools/gen_dialogs.py), so both sides read the same dialogs.
#pragma once
#include <string>
#include <vector>

#include "simhost/windows.h"

namespace simhost {

struct TemplateControl {
  int id;
  const wchar_t* className;
  const wchar_t* text;
  bool enabled;
  bool visible;
};

struct DialogTemplate {
  UINT id;
  const wchar_t* caption;
  std::vector<TemplateControl> controls;
};

// Every DIALOGEX of the resource script, in its order (generated).
const std::vector<DialogTemplate>& DialogTemplates();

// The controls of one template, in the template's order, and its caption; none for a template the script lacks.
std::vector<Control> TemplateControls(UINT templateId, std::wstring& caption);

}  // namespace simhost
