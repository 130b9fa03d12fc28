// The programs the GUI driver starts (the tool, a second copy of it): started with CreateProcessW so their
// process ids and exit codes are known, and ended by force only when a run is being cleaned up.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "owners.h"

namespace rig {

class Programs {
 public:
  // Where the standard output and error of programs started from now on go (appended); NUL by default.
  std::string SetOutput(const std::wstring& path);
  // The whole command line, the program's path first. "ok pid=N" or "err ...".
  std::string Start(const std::wstring& commandLine);
  // "ok code=N" once the process has ended, "err timeout" after limitMs.
  std::string WaitExit(DWORD processId, DWORD limitMs);
  std::string Kill(DWORD processId);

 private:
  std::map<DWORD, KernelHandle> processes_;
  std::wstring outputPath_ = L"NUL";
};

}  // namespace rig
