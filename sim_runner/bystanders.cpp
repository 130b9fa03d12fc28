#include "sim_runner/bystanders.h"

#include "sim_runner/lock_names.h"

namespace sim_runner {

void Bystanders::StartScanApps(const std::vector<LockHolderPlan>& holders, const std::wstring& friendlyName) {
  for (const LockHolderPlan& plan : holders) {
    auto app = std::make_unique<App>();
    simhost::ProcessOptions options;
    options.modulePath = L"C:\\Program Files\\Kavrel\\Scan\\scan.exe";
    options.session = plan.session;
    options.user = plan.sameUser ? L"admin" : L"other";
    app->process = std::make_unique<simhost::Process>(world_, options);
    app->name = LockName(plan.kind, friendlyName);
    app->session = plan.session;
    App& raw = *app;
    apps_.push_back(std::move(app));
    world_.scheduler().Spawn([this, &raw, plan] { Hold(raw, plan); });
  }
}

// As the scan applications do: a name that exists already means another one is in use, so it does not hold.
void Bystanders::Hold(App& app, const LockHolderPlan& plan) {
  simhost::Scheduler& scheduler = world_.scheduler();
  plat::IKernel& kernel = app.process->host().kernel;
  scheduler.Sleep(plan.fromMs);
  SECURITY_DESCRIPTOR descriptor{};
  SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), &descriptor, FALSE};
  kernel.InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  kernel.SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
  const HANDLE mutex = kernel.CreateMutexW(plan.openToEveryone ? &attributes : nullptr, TRUE, app.name.c_str());
  if (mutex == nullptr || kernel.GetLastError() == ERROR_ALREADY_EXISTS) {
    trace_.Add(scheduler.Now(), "scan application finds lock " + std::to_string(plan.kind) + " in use");
    if (mutex != nullptr) kernel.CloseHandle(mutex);
    return;
  }
  app.holding = true;
  trace_.Add(scheduler.Now(), "scan application takes lock " + std::to_string(plan.kind));
  if (!plan.forMs) return;  // held until the end of the run
  scheduler.Sleep(*plan.forMs);
  kernel.ReleaseMutex(mutex);
  kernel.CloseHandle(mutex);
  app.holding = false;
  trace_.Add(scheduler.Now(), "scan application releases lock " + std::to_string(plan.kind));
}

void Bystanders::StartServiceMeddler(simhost::SimService& service, const std::vector<uint64_t>& atMs) {
  for (const uint64_t at : atMs) {
    world_.scheduler().Spawn([this, &service, at] {
      simhost::Scheduler& scheduler = world_.scheduler();
      scheduler.Sleep(at);
      trace_.Add(scheduler.Now(), "another program sets stisvc to automatic start and starts it");
      service.startType = SERVICE_AUTO_START;
      StartAsAnotherProgram(service, scheduler.Now());
    });
  }
}

void StartAsAnotherProgram(simhost::SimService& service, uint64_t nowMs) {
  if (service.state != SERVICE_STOPPED) return;
  service.state = SERVICE_START_PENDING;
  service.targetState = SERVICE_RUNNING;
  service.transitionAt = nowMs + 500;
  service.waitHint = 1000;
  service.checkPoint = 1;
}

bool Bystanders::Holds(const std::wstring& name, int session) const {
  for (const auto& app : apps_) {
    if (!app->holding || app->name != name) continue;
    // The GUID lock lives in the session's namespace; the others are machine-wide.
    if (name.rfind(L"Global\\", 0) == 0 || app->session == session) return true;
  }
  return false;
}

}  // namespace sim_runner
