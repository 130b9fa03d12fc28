// One random world, as plain data: the scanner and its faults, its device record, the imaging service, the
// other scan applications, the user and the language. Drawn from the run's seed (MakeWorldPlan) and laid out
// into a simulated machine by world_setup.h; its description opens every trace.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emulator/scenario.h"
#include "platform/win_types.h"
#include "simhost/usbscan.h"
#include "sim_runner/intruder_plan.h"

namespace sim_runner {

struct ScannerPlan {
  bool present = true;
  int index = 0;                  // its usbscan index
  bool otherVendorBefore = false;  // another vendor's device at a lower index
  emu::Scenario scenario;
  std::vector<simhost::UsbFault> usbFaults;  // request-level faults of the usbscan driver
};

// Another scanner of the same kind with an identification of its own: on the bus from the start (at 0 ms) or
// plugged in at a moment of the run.
struct SecondScannerPlan {
  bool present = false;
  uint64_t plugInAtMs = 0;
};

// Task Manager's "End task" (TerminateProcess) at a moment of the run: no code of the tool runs after it.
struct KillPlan {
  bool present = false;
  uint64_t atMs = 0;
};

enum class RecordKind { Named, LongName, NoFriendlyName, WrongHardwareId, None };

struct RecordPlan {
  RecordKind kind = RecordKind::Named;
  std::wstring friendlyName = L"Scanner A";
};

// How the still-image service behaves; another program may set it back to automatic start and start it.
struct ServicePlan {
  DWORD initialState = SERVICE_RUNNING;
  DWORD initialStartType = SERVICE_AUTO_START;
  std::optional<DWORD> stopTakesMs = 1000;  // none: the stop never finishes
  DWORD stopWaitHintMs = 1000;
  DWORD stopControlError = 0;
  std::optional<DWORD> startTakesMs = 1000;  // none: the start never finishes
  DWORD startWaitHintMs = 2000;
  DWORD startError = 0;
  bool stopsAgainAfterStart = false;
  DWORD changeConfigError = 0;
  DWORD queryStatusError = 0;
  bool missing = false;  // no such service on the machine
  std::vector<uint64_t> reEnableAtMs;
  // Each request to the service manager takes between these, drawn per request from its own generator.
  DWORD roundTripMinMs = 1;
  DWORD roundTripMaxMs = 1;
  uint64_t roundTripSeed = 0;
};

// Another scan application that holds one of the lock names for a while.
struct LockHolderPlan {
  int kind = 0;  // 0 EXT_APP, 1 the GUID lock, 2 Quenby
  int session = 1;
  bool sameUser = true;
  bool openToEveryone = true;  // created with a null DACL
  uint64_t fromMs = 0;
  std::optional<uint64_t> forMs;  // none: until the end of the run
};

enum class Button { Search, Update, Close };

struct UserStep {
  uint64_t afterMs = 0;
  Button button = Button::Search;
  bool doublePress = false;
  bool patient = false;  // waits for the button to be enabled rather than giving up on this step
};

struct WorldPlan {
  uint64_t seed = 0;
  std::optional<DWORD> langId;  // LANG_ID in Settings.ini; none: no settings file
  LANGID systemLanguage = 0x0409;
  bool debugSwitch = false;
  DWORD tickBase = 0;
  ScannerPlan scanner;
  RecordPlan record;
  ServicePlan service;
  std::vector<LockHolderPlan> holders;
  std::vector<UserStep> user;
  IntruderPlan intruders;
  // The window's thread under pressure: how often a switch point of the tool preempts its thread (one in this
  // many; 0: never) and how long the user takes to answer a message box.
  uint32_t preemptOneIn = 0;
  uint64_t messageBoxAnswerMs = 0;
  // The tool runs with /quiet: nobody sits at the window, the tool presses its buttons itself (user is empty).
  bool quiet = false;
  SecondScannerPlan second;
  KillPlan kill;
};

WorldPlan MakeWorldPlan(uint64_t seed);
// Several lines, for the head of the trace.
std::string DescribeWorldPlan(const WorldPlan& plan);
const char* ButtonName(Button button);

}  // namespace sim_runner
