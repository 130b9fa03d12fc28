// What the GUI driver sees of another process's windows: its visible top-level windows, each with its
// controls' ids, classes, texts and enabled states. Texts are read without sending messages, so a window
// whose thread is busy is still read at once.
#pragma once

#include <windows.h>

#include <string>

namespace rig {

// The process's visible top-level windows as a JSON list:
// [{"hwnd":N,"class":"#32770","caption":"...","rect":[left,top,right,bottom],
//   "controls":[{"id":1013,"class":"Static","text":"...","enabled":true,"visible":true}]}]
std::string DescribeWindows(DWORD processId);
// A visible top-level window of the process that holds a control with this id, or null.
HWND FindWindowWithControl(DWORD processId, int controlId);
// Presses the enabled button with this id in one of the process's windows: the dialog gets the button's
// click notification. The result is "ok", "err no such button" or "err disabled".
std::string ClickButton(DWORD processId, int controlId);
// What reaches the main window (the one with control 1017) without a button: a key pressed in it (posted as its
// key-down and key-up, which the dialog manager reads), a control's command posted whatever the control's
// state, or any message with a wParam. The result is "ok" or "err ...".
std::string PressKey(DWORD processId, int virtualKey);
std::string PostCommand(DWORD processId, int controlId);
std::string PostToMainWindow(DWORD processId, UINT message, WPARAM wParam);
// Whether the main window answers a sent message within the limit: "ok ms=N" or "err unanswered ms=N ...".
std::string ProbeMainWindow(DWORD processId, UINT limitMs);

}  // namespace rig
