// The user: a thread that acts on the tool's window as a person can. A press reaches the window only when the
// button is enabled; a double press sends the same command twice, as two clicks queued before the window
// handles the first do. After the drawn steps the user waits for Close and presses it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simhost/process.h"
#include "sim_runner/trace.h"
#include "sim_runner/world_plan.h"

namespace sim_runner {

struct UserRecord {
  std::optional<uint64_t> closePressedAtMs;  // the first press of an enabled Close
  bool updatePressed = false;
  bool done = false;
  std::string gaveUp;  // why the user could not close the tool, when that happened
};

// `gone` turns true when the session ends: the user acts no more.
void StartUser(simhost::Process& tool, const std::vector<UserStep>& steps, UserRecord& record, Trace& trace,
               const bool& gone);

int ButtonId(Button button);

}  // namespace sim_runner
