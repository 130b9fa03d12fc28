#include "host/guard_run.h"

#include "host/start_up_entry.h"
#include "host/wia_control.h"
#include "platform/unique_handle.h"

namespace guard {

// The mark goes first: should the machine stop while the service is started, the next start still says so.
void GiveBackForTool(plat::Host& host) {
  MarkCutOff(host);
  CWIAControl wia(host);
  wia.Start();
  RemoveStartUpEntry(host);
}

int RunGuard(plat::Host& host, const GuardOrder& order) {
  if (order.boot) {
    GiveBackForTool(host);
    return 0;
  }
  if (order.toolId == 0) return 1;
  // The event first: while the tool lives it holds the event, so this opens the tool's own. A tool already gone
  // (ended before the guard got here) leaves the process unopenable or ended and the new event unsignalled:
  // given back by nobody.
  const std::wstring eventName = GivenBackEventName(order.toolId);
  const plat::UniqueHandle givenBack(host.kernel, host.kernel.CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
  const plat::UniqueHandle tool(host.kernel, host.kernel.OpenProcess(SYNCHRONIZE, FALSE, order.toolId));
  if (tool && host.kernel.WaitForSingleObject(tool.Get(), INFINITE) == WAIT_FAILED) return 1;
  if (givenBack && host.kernel.WaitForSingleObject(givenBack.Get(), 0) == WAIT_OBJECT_0) return 0;
  GiveBackForTool(host);
  return 0;
}

}  // namespace guard
