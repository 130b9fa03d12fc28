#include "host/disable_gate.h"

#include "app/time_limits.h"

bool DisableGate::BeginDisable() {
  LONG expected = kOpen;
  if (!m_nState.compare_exchange_strong(expected, kDisabling)) return false;
  // A Shut that began before this write took the gate waits for it: give the gate back unwritten.
  if (!m_bShutting.load()) return true;
  EndDisable();
  return false;
}

// A gate shut meanwhile (the wait for this write gave up) stays shut.
void DisableGate::EndDisable() {
  LONG expected = kDisabling;
  m_nState.compare_exchange_strong(expected, kOpen);
}

void DisableGate::Shut(plat::Host& host, DWORD limitMs) {
  m_bShutting = true;
  const DWORD start = host.time.GetTickCount();
  for (;;) {
    LONG expected = kOpen;
    if (m_nState.compare_exchange_strong(expected, kShut) || expected == kShut) return;
    if (TicksSince(start, host.time.GetTickCount()) >= limitMs) break;
    host.time.Sleep(limits::kDisableGatePollMs);
  }
  m_nState = kShut;
}
