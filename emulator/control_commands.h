// tessaline-emu's control language: one text line in, one text line out, so a test or the Wine rig can
// set the scenario and read back what the device received without any framing.
//
//   help                     the command list
//   fields                   the scenario field names
//   get                      every scenario field as name=value pairs
//   get NAME                 one field's value
//   set NAME VALUE           change a field (the value is the rest of the line); applies at once
//   status                   phase, presence, FWInfo, BurnPercent, ErrorCode, versions, transactions
//   image                    the last firmware write: code, size, bytes received, checksum, complete, ...
//   counts                   commands received, by kind
//   unplug | plug            take the device away / plug it in again
//   reset                    a freshly plugged device with the current scenario; records cleared
//   quit                     "ok bye", then the connection closes (handled by the connection)
// Replies start with "ok" or "err".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "emulator/tessaline_device.h"

namespace emu {

std::string HandleControlLine(TessalineDevice& device, std::string_view line, uint64_t nowMs);

}  // namespace emu
