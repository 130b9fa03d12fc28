// The console: whether one was made and standard output sent to it, and everything written to standard
// output (kept for the tests even when no console shows it).
#pragma once
#include <string>

#include "platform/console.h"
#include "simhost/process_state.h"

namespace simhost {

class Console final : public plat::IConsole {
 public:
  BOOL AllocConsole() override {
    if (allocated_) return FALSE;
    allocated_ = true;
    return TRUE;
  }
  bool ReopenStandardStreams(LPCWSTR device, LPCWSTR mode) override {
    visible_ = allocated_ && std::wstring(device) == L"CONOUT$" && std::wstring(mode) == L"w";
    return visible_;
  }
  void WriteOut(std::wstring_view text) override { output_ += text; }
  // Standard output is a handle when the starter redirected it or a console was made or attached.
  HANDLE GetStdHandle(DWORD which) override {
    const bool present = redirected_ || visible_;
    return which == STD_OUTPUT_HANDLE && present ? kStdOut : nullptr;
  }
  BOOL AttachConsole(DWORD processId) override {
    if (allocated_ || processId != ATTACH_PARENT_PROCESS || !parentConsole_) return FALSE;
    allocated_ = true;
    return TRUE;
  }

  // How the program was started: standard output redirected, or from a command prompt's console.
  void RedirectStandardOutput() { redirected_ = true; }
  void StartFromConsole() { parentConsole_ = true; }

  bool Allocated() const { return allocated_; }
  bool Visible() const { return visible_; }
  const std::wstring& Output() const { return output_; }

 private:
  static inline const HANDLE kStdOut = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x24));
  bool redirected_ = false;
  bool parentConsole_ = false;
  bool allocated_ = false;
  bool visible_ = false;
  std::wstring output_;
};

}  // namespace simhost
