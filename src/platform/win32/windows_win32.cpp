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

namespace plat::win32 {

BOOL Windows::EnableWindow(HWND window, BOOL enable) { return ::EnableWindow(window, enable); }
LRESULT Windows::SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::SendMessageW(window, message, wParam, lParam);
}
BOOL Windows::PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::PostMessageW(window, message, wParam, lParam);
}
LONG_PTR Windows::SetWindowLongPtrW(HWND window, int index, LONG_PTR value) {
  return ::SetWindowLongPtrW(window, index, value);
}
HICON Windows::LoadIconW(LPCWSTR name) { return ::LoadIconW(::GetModuleHandleW(nullptr), name); }
HMENU Windows::GetSystemMenu(HWND window, BOOL revert) { return ::GetSystemMenu(window, revert); }
BOOL Windows::AppendMenuW(HMENU menu, UINT flags, UINT_PTR id, LPCWSTR text) {
  return ::AppendMenuW(menu, flags, id, text);
}
BOOL Windows::IsIconic(HWND window) { return ::IsIconic(window); }
HDC Windows::BeginPaint(HWND window, PAINTSTRUCT* paint) { return ::BeginPaint(window, paint); }
BOOL Windows::EndPaint(HWND window, const PAINTSTRUCT* paint) { return ::EndPaint(window, paint); }
BOOL Windows::GetClientRect(HWND window, RECT* rect) { return ::GetClientRect(window, rect); }
int Windows::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }
BOOL Windows::DrawIcon(HDC dc, int x, int y, HICON icon) { return ::DrawIcon(dc, x, y, icon); }

}  // namespace plat::win32
