// tessaline-emu's command line: server options and the starting scenario (every scenario field is an
// option of the same name, --burn-ms 30000, --ident "KT-0001", ...).
#pragma once

#include <string>

#include "emulator/emu_server.h"
#include "emulator/scenario.h"

namespace emu {

struct EmuOptions {
    Scenario scenario;
    ServerOptions server;
    bool help = false;
};

// False with `error` set for an unknown option, a missing value or a value that does not parse.
bool ParseEmuOptions(int argc, const char* const* argv, EmuOptions& options, std::string& error);
std::string EmuUsage();

}  // namespace emu
