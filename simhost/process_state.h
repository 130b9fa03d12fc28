// What every simulated area of one process shares: its world, its options, its handles and the state each
// of its threads keeps (last error, UI language).
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "simhost/handle_table.h"
#include "simhost/world.h"

namespace simhost {

struct ProcessOptions {
  std::wstring modulePath = L"C:\\Tools\\FWUpdate\\FWUpdate.exe";
  std::wstring commandLine;  // empty: the quoted module path alone
  int session = 1;
  std::wstring user = L"admin";
  bool elevated = true;
  // Names folded as FoldCase folds them: the system compares them without case.
  std::map<std::wstring, std::wstring> environment{{L"PROGRAMDATA", L"C:\\ProgramData"}};
};

struct ThreadState {
  DWORD lastError = 0;
  LANGID uiLanguage = 0;  // 0: none chosen, the system's language applies
};

struct ProcessState {
  ProcessState(World& w, ProcessOptions o) : world(w), options(std::move(o)) { self->id = world.AddProcess(self); }
  ThreadState& CurrentThread() { return threads[world.scheduler().CurrentThread()]; }

  World& world;
  ProcessOptions options;
  HandleTable handles{0x100};
  std::shared_ptr<ProcessObject> self = std::make_shared<ProcessObject>();
  int threadCreationsToFail = 0;  // the next n CreateThread calls fail, as when the system is out of memory
  int eventCreationsToFail = 0;   // the next n CreateEventW calls fail likewise
  int exitCodeQueriesToFail = 0;  // the next n GetExitCodeThread calls fail (access denied)
  DWORD launchError = 0;          // CreateProcessW fails with this error (0: programs start)
  // In a job that does not allow breaking away: CREATE_BREAKAWAY_FROM_JOB is refused with ERROR_ACCESS_DENIED.
  bool inJobWithoutBreakaway = false;
  std::map<int, ThreadState> threads;
  std::vector<int> schedulerThreads;  // every thread of the program the scheduler runs
  int mainThread = 0;                 // 0 when the program was not started through Process::Start
};

}  // namespace simhost
