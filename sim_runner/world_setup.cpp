#include "sim_runner/world_setup.h"

#include <string>

namespace sim_runner {
namespace {

constexpr const wchar_t* kProgramPath = L"C:\\Tools\\FWUpdate\\FWUpdate.exe";
constexpr const wchar_t* kSettingsPath = L"C:\\Tools\\FWUpdate\\Settings.ini";
constexpr const wchar_t* kScannerHardwareId = L"USB\\VID_1209&PID_0001&REV_0100";

}  // namespace

simhost::ProcessOptions ToolOptions(const WorldPlan& plan) {
  simhost::ProcessOptions options;
  options.modulePath = kProgramPath;
  options.commandLine = std::wstring(L"\"") + kProgramPath + L"\"" + (plan.debugSwitch ? L" -d" : L"") +
                        (plan.quiet ? L" /quiet" : L"");
  return options;
}

void SetUpMachine(simhost::World& world, const WorldPlan& plan) {
  world.SetTickBase(plan.tickBase);
  world.systemUiLanguage = plan.systemLanguage;
  if (plan.langId) {
    // -1 is how a value past the int range is written; the reader wraps it to 32 bits.
    const std::wstring value = *plan.langId == 0xFFFFFFFFu ? L"-1" : std::to_wstring(*plan.langId);
    world.WriteTextFile(kSettingsPath, L"[Development]\nLANG_ID=" + value + L"\n");
  }
}

emu::TessalineDevice* SetUpScanner(simhost::World& world, const ScannerPlan& plan) {
  simhost::UsbBus& bus = world.usb();
  if (plan.otherVendorBefore) bus.AttachOther(0, 0x1234, 0x5678);
  if (!plan.present) return nullptr;
  emu::TessalineDevice& scanner = bus.AttachScanner(plan.index, plan.scenario);
  for (const simhost::UsbFault& fault : plan.usbFaults) bus.AddFault(plan.index, fault);
  return &scanner;
}

void SetUpRecord(simhost::Process& tool, const RecordPlan& plan) {
  switch (plan.kind) {
    case RecordKind::Named:
    case RecordKind::LongName:
      tool.setup().AddImageDevice({kScannerHardwareId}, 0, plan.friendlyName);
      break;
    case RecordKind::NoFriendlyName:
      tool.setup().AddImageDevice({kScannerHardwareId}, 0, std::nullopt);
      break;
    case RecordKind::WrongHardwareId:
      tool.setup().AddImageDevice({L"USB\\VID_1234&PID_5678&REV_0100"}, 0, plan.friendlyName);
      break;
    case RecordKind::None:
      break;
  }
}

simhost::SimService* SetUpService(simhost::Process& tool, const ServicePlan& plan) {
  tool.services().SetRoundTripRange(plan.roundTripMinMs, plan.roundTripMaxMs, plan.roundTripSeed);
  if (plan.missing) {
    tool.services().RemoveService(L"stisvc");
    return nullptr;
  }
  simhost::SimService& service = tool.services().Service(L"stisvc");
  service.state = plan.initialState;
  service.startType = plan.initialStartType;
  service.stopTakesMs = plan.stopTakesMs;
  service.stopWaitHintMs = plan.stopWaitHintMs;
  service.stopControlError = plan.stopControlError;
  service.startTakesMs = plan.startTakesMs;
  service.startWaitHintMs = plan.startWaitHintMs;
  service.startError = plan.startError;
  service.stopsAgainAfterStart = plan.stopsAgainAfterStart;
  service.changeConfigError = plan.changeConfigError;
  service.queryStatusError = plan.queryStatusError;
  return &service;
}

}  // namespace sim_runner
