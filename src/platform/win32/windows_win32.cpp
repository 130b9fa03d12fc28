#include "platform/win32/win32_host.h"

namespace plat::win32 {
namespace {

// The events object rides in the dialog's user data from WM_INITDIALOG on. No exception leaves the
// dialog procedure into the system.
INT_PTR CALLBACK DialogTrampoline(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
  auto* events = reinterpret_cast<IDialogEvents*>(::GetWindowLongPtrW(dialog, DWLP_USER));
  if (events == nullptr) return FALSE;
  try {
    return events->OnDialogMessage(dialog, message, wParam, lParam);
  } catch (...) {
    return FALSE;
  }
}

}  // namespace

INT_PTR Windows::DialogBoxParamW(LPCWSTR templateName, HWND parent, IDialogEvents& events) {
  return ::DialogBoxParamW(::GetModuleHandleW(nullptr), templateName, parent, &DialogTrampoline,
                           reinterpret_cast<LPARAM>(&events));
}
BOOL Windows::EndDialog(HWND dialog, INT_PTR result) { return ::EndDialog(dialog, result); }
HWND Windows::GetDlgItem(HWND dialog, int id) { return ::GetDlgItem(dialog, id); }
BOOL Windows::SetWindowTextW(HWND window, LPCWSTR text) { return ::SetWindowTextW(window, text); }

}  // namespace plat::win32
