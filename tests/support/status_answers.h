// The status replies a test scripts for the emulated scanner (ScriptStatusReplies, ScriptReadReplies).
#pragma once
#include "link/protocol.h"

namespace fwtest {

// A reply with this FWInfo state and the other fields the case names, e.g. Answer(proto::kFwUpdate,
// {.burnPercent = 40}); the fields not named are zero.
inline proto::StatusReply Answer(uint16_t state, proto::StatusReply fields = {}) {
  fields.fwInfo = state;
  return fields;
}

}  // namespace fwtest
