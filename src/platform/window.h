// Windows and dialogs: the modal dialog run and the operations on its controls. Calls from other threads
// than the window's are synchronous and served by the window's thread, as SendMessage is.
#pragma once
#include "platform/win_types.h"

#ifndef _WIN32
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
#endif

namespace plat {

// Receives the messages of one dialog; the core's dialog base implements it.
class IDialogEvents {
 public:
  virtual INT_PTR OnDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) = 0;

 protected:
  ~IDialogEvents() = default;
};

class IWindows {
 public:
  virtual ~IWindows() = default;
  // DialogBoxParamW on the program's template; each message of the dialog reaches the events object.
  virtual INT_PTR DialogBoxParamW(LPCWSTR templateName, HWND parent, IDialogEvents& events) = 0;
  virtual BOOL EndDialog(HWND dialog, INT_PTR result) = 0;
  virtual HWND GetDlgItem(HWND dialog, int id) = 0;
  virtual BOOL SetWindowTextW(HWND window, LPCWSTR text) = 0;
};

}  // namespace plat
