// Whether a stop thread may still disable the imaging service. When the session ends the window gives the
// service back (automatic start) after shutting this gate: a stop thread writes "disabled" only through an open
// gate, and the window waits for a write already under way before it writes its own. So no "disabled" lands
// after the window's "automatic", whichever thread gets there last, and Windows may end the program at any
// moment afterwards.
#pragma once
#include <atomic>

#include "platform/host.h"

class DisableGate {
 public:
  DisableGate() = default;
  DisableGate(const DisableGate&) = delete;
  DisableGate& operator=(const DisableGate&) = delete;

  // Before the stop thread writes "disabled": false once the gate is shut. After a true, EndDisable follows the
  // write.
  bool BeginDisable();
  void EndDisable();
  // Shuts the gate for good. A write under way is waited for, at most limitMs (a service manager that hangs
  // longer must not hold the end of the session).
  void Shut(plat::Host& host, DWORD limitMs);
  // True from the moment Shut begins: a stop thread whose write was waited for must not go on to its search.
  bool IsShut() const { return m_bShutting.load() || m_nState.load() == kShut; }

 private:
  static constexpr LONG kOpen = 0;
  static constexpr LONG kDisabling = 1;
  static constexpr LONG kShut = 2;
  std::atomic<LONG> m_nState{kOpen};
  std::atomic<bool> m_bShutting{false};
};
