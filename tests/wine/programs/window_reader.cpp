#include "window_reader.h"

#include <vector>

#include "text.h"

namespace rig {

namespace {

struct WindowSearch {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK TakeProcessWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window)) search->found.push_back(window);
  return TRUE;
}

BOOL CALLBACK TakeChild(HWND window, LPARAM context) {
  reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindows(DWORD processId) {
  WindowSearch search{processId, {}};
  EnumWindows(TakeProcessWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, TakeChild, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::wstring TextOf(HWND window) {
  // The text the window keeps, read without a message to its thread.
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  return name;
}

std::string Number(uintptr_t value) { return std::to_string(value); }

HWND FindControl(DWORD processId, int controlId) {
  for (HWND window : TopLevelWindows(processId)) {
    for (HWND child : Children(window)) {
      if (GetDlgCtrlID(child) == controlId && GetParent(child) == window) return child;
    }
  }
  return nullptr;
}

}  // namespace

std::string DescribeWindows(DWORD processId) {
  std::string json = "[";
  for (HWND window : TopLevelWindows(processId)) {
    if (json.size() > 1) json += ",";
    RECT rect{};
    GetWindowRect(window, &rect);
    json += "{\"hwnd\":" + Number(reinterpret_cast<uintptr_t>(window)) + ",\"class\":" + JsonString(ClassOf(window)) +
            ",\"caption\":" + JsonString(TextOf(window)) + ",\"rect\":[" + std::to_string(rect.left) + "," +
            std::to_string(rect.top) + "," + std::to_string(rect.right) + "," + std::to_string(rect.bottom) +
            "],\"controls\":[";
    bool first = true;
    for (HWND child : Children(window)) {
      if (!first) json += ",";
      first = false;
      json += "{\"id\":" + std::to_string(GetDlgCtrlID(child)) + ",\"class\":" + JsonString(ClassOf(child)) +
              ",\"text\":" + JsonString(TextOf(child)) + ",\"enabled\":" + (IsWindowEnabled(child) ? "true" : "false") +
              ",\"visible\":" + (IsWindowVisible(child) ? "true" : "false") + "}";
    }
    json += "]}";
  }
  return json + "]";
}

HWND FindWindowWithControl(DWORD processId, int controlId) {
  const HWND control = FindControl(processId, controlId);
  return control == nullptr ? nullptr : GetParent(control);
}

std::string ClickButton(DWORD processId, int controlId) {
  const HWND button = FindControl(processId, controlId);
  if (button == nullptr) return "err no such button";
  if (!IsWindowEnabled(button)) return "err disabled";
  // Posted, as the button itself notifies its dialog: a handler that works for a while on the window's thread
  // must not hold the driver. Activation plays no part, unlike with BM_CLICK on a window without focus.
  const WPARAM command = MAKEWPARAM(static_cast<WORD>(controlId), BN_CLICKED);
  if (!PostMessageW(GetParent(button), WM_COMMAND, command, reinterpret_cast<LPARAM>(button))) {
    return "err PostMessageW failed (error " + std::to_string(GetLastError()) + ")";
  }
  return "ok";
}

namespace {

constexpr int kStatusText = 1017;

std::string Posted(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window == nullptr) return "err no main window";
  if (!PostMessageW(window, message, wParam, lParam)) {
    return "err PostMessageW failed (error " + std::to_string(GetLastError()) + ")";
  }
  return "ok";
}

}  // namespace

std::string PressKey(DWORD processId, int virtualKey) {
  const HWND window = FindWindowWithControl(processId, kStatusText);
  // Repeat count 1; the key-up has the previous-state and transition bits.
  const std::string down = Posted(window, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 0x00000001);
  if (down != "ok") return down;
  return Posted(window, WM_KEYUP, static_cast<WPARAM>(virtualKey), static_cast<LPARAM>(0xC0000001u));
}

std::string PostCommand(DWORD processId, int controlId) {
  const HWND window = FindWindowWithControl(processId, kStatusText);
  const HWND control = window == nullptr ? nullptr : GetDlgItem(window, controlId);
  return Posted(window, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(controlId), BN_CLICKED),
                reinterpret_cast<LPARAM>(control));
}

std::string PostToMainWindow(DWORD processId, UINT message, WPARAM wParam) {
  return Posted(FindWindowWithControl(processId, kStatusText), message, wParam, 0);
}

// WM_NULL sent as SendMessageTimeout sends it: answered only when the window's thread serves its messages, which
// is what Windows asks of a window before it calls it hung.
std::string ProbeMainWindow(DWORD processId, UINT limitMs) {
  const HWND window = FindWindowWithControl(processId, kStatusText);
  if (window == nullptr) return "err no main window";
  DWORD_PTR result = 0;
  const ULONGLONG start = GetTickCount64();
  const LRESULT answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, limitMs, &result);
  const std::string took = "ms=" + std::to_string(GetTickCount64() - start);
  if (answered == 0) return "err unanswered " + took + " (error " + std::to_string(GetLastError()) + ")";
  return "ok " + took;
}

}  // namespace rig
