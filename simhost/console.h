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

  bool Allocated() const { return allocated_; }
  bool Visible() const { return visible_; }
  const std::wstring& Output() const { return output_; }

 private:
  bool allocated_ = false;
  bool visible_ = false;
  std::wstring output_;
};

}  // namespace simhost
