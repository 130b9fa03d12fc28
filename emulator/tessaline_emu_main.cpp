// tessaline-emu: an emulated Kavrel Tessaline on 127.0.0.1, in real time, until SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <string>
#include <sys/signalfd.h>

#include "emulator/emu_options.h"
#include "emulator/emu_server.h"
#include "emulator/socket_fd.h"

int main(int argc, char** argv) {
    emu::EmuOptions options;
    std::string error;
    if (!emu::ParseEmuOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "tessaline-emu: %s (see --help)\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(emu::EmuUsage().c_str(), stdout);
        return 0;
    }

    // The signals arrive as readable data on a descriptor the server polls, so stopping needs no global flag.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    if (sigprocmask(SIG_BLOCK, &stopSignals, nullptr) != 0) {
        std::perror("tessaline-emu: sigprocmask");
        return 1;
    }
    const emu::SocketFd stopFd(signalfd(-1, &stopSignals, SFD_CLOEXEC));
    if (!stopFd.Valid()) {
        std::perror("tessaline-emu: signalfd");
        return 1;
    }

    emu::EmuServer server(options.scenario, options.server, [](const std::string& line) {
        std::fprintf(stderr, "tessaline-emu %s\n", line.c_str());
    });
    if (!server.Start(error)) {
        std::fprintf(stderr, "tessaline-emu: %s\n", error.c_str());
        return 1;
    }
    std::printf("tessaline-emu: device on 127.0.0.1:%u", server.DevicePort());
    if (options.server.controlPort) {
        std::printf(", control on 127.0.0.1:%u", server.ControlPort());
    }
    if (options.server.bridgePort) {
        std::printf(", bridge on 127.0.0.1:%u", server.BridgePort());
    }
    std::printf("\n");
    std::fflush(stdout);
    server.Run(stopFd.Get());
    std::fprintf(stderr, "tessaline-emu: stopped\n");
    return 0;
}
