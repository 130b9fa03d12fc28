// tessaline-emu's server: the device model on a TCP port of 127.0.0.1 (the raw request protocol, one
// transaction after another per connection, as the tool's socket link expects) and an optional line-based
// control port. One thread, one poll() loop, real time in milliseconds since Start.
//
// Presence is visible the way the socket link can see it: while the device is absent (powered off,
// unplugged) the device port is not listening, so a connect is refused.
// One device connection at a time. A new one waits (at most one waits; a newer one replaces it) until the
// current one is done: closed by its peer, stalled by a fault, or resting between transactions with
// nothing more to read. So an image still draining from a closed client's connection is not cut off by
// the tool's next probe, and a connection left silent after a time-out does not block the next one.
//
// An optional bridge port serves the Wine rig's usbscan driver (emulator/bridge_protocol.h): framed requests
// over several connections at once. The device still has one channel; whoever opened it last holds it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>
#include <vector>

#include "emulator/bridge_connection.h"
#include "emulator/channel_holder.h"
#include "emulator/control_connection.h"
#include "emulator/device_connection.h"
#include "emulator/lifecycle.h"
#include "emulator/scenario.h"
#include "emulator/socket_fd.h"
#include "emulator/tessaline_device.h"

namespace emu {

struct ServerOptions {
    uint16_t devicePort = 5566;          // 0: any free port (tests)
    std::optional<uint16_t> controlPort; // none: no control port; 0: any free port
    std::optional<uint16_t> bridgePort;  // none: no bridge port; 0: any free port
    uint64_t idleTimeoutMs = 150000;     // a device connection with no traffic for this long is closed
    uint64_t controlIdleTimeoutMs = 3600000;
    size_t maxControlClients = 4;
    size_t maxBridgeClients = 16;  // the driver keeps two per emulated usbscan device
    bool verbose = false;  // log every connection, not only phase changes and firmware writes
};

class EmuServer {
public:
    using Log = std::function<void(const std::string&)>;

    EmuServer(Scenario scenario, ServerOptions options, Log log);
    EmuServer(const EmuServer&) = delete;
    EmuServer& operator=(const EmuServer&) = delete;

    // Binds the ports; false with `error` set when one cannot be bound.
    bool Start(std::string& error);
    uint16_t DevicePort() const { return devicePort_; }
    uint16_t ControlPort() const { return controlPort_; }
    uint16_t BridgePort() const { return bridgePort_; }
    // Serves until `stopFd` becomes readable (a signalfd, or a pipe in tests).
    void Run(int stopFd);

private:
    uint64_t NowMs() const;
    void TrackDevice(uint64_t nowMs);
    void AcceptDevice();
    void PromoteWaiting(bool currentHadEvents, uint64_t nowMs);
    void AcceptControl(uint64_t nowMs);
    void AcceptBridge(uint64_t nowMs);
    void ServiceBridges(const std::vector<pollfd>& fds, size_t firstAt, uint64_t nowMs);
    void DropDeviceConnection(const char* why);
    void Say(const std::string& text, uint64_t nowMs) const;

    ServerOptions options_;
    Log log_;
    std::chrono::steady_clock::time_point start_;
    TessalineDevice device_;
    ChannelHolder channel_{device_};
    SocketFd deviceListener_;
    SocketFd controlListener_;
    SocketFd bridgeListener_;
    uint16_t devicePort_ = 0;
    uint16_t controlPort_ = 0;
    uint16_t bridgePort_ = 0;
    std::unique_ptr<DeviceConnection> connection_;
    SocketFd waiting_;  // accepted, not yet served
    std::vector<std::unique_ptr<ControlConnection>> controls_;
    std::vector<std::unique_ptr<BridgeConnection>> bridges_;
    LifePhase lastPhase_ = LifePhase::Idle;
    ImageWrite lastImage_;
};

}  // namespace emu
