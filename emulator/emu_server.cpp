#include "emulator/emu_server.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <sys/socket.h>

#include "emulator/scenario_text.h"

namespace emu {

namespace {
constexpr int kTickMs = 20;  // how soon a phase change (power-off, power-on) shows on the device port

SocketFd AcceptOne(int listener) {
    return SocketFd(::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
}
}  // namespace

EmuServer::EmuServer(Scenario scenario, ServerOptions options, Log log)
    : options_(options), log_(std::move(log)), start_(std::chrono::steady_clock::now()),
      device_(std::move(scenario), 0) {}

uint64_t EmuServer::NowMs() const {
    const auto elapsed = std::chrono::steady_clock::now() - start_;
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void EmuServer::Say(const std::string& text, uint64_t nowMs) const {
    if (log_) {
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "[%llu.%03llu] ", static_cast<unsigned long long>(nowMs / 1000),
                      static_cast<unsigned long long>(nowMs % 1000));
        log_(stamp + text);
    }
}

bool EmuServer::Start(std::string& error) {
    start_ = std::chrono::steady_clock::now();
    deviceListener_ = ListenLoopback(options_.devicePort, error);
    if (!deviceListener_.Valid()) {
        return false;
    }
    devicePort_ = LocalPort(deviceListener_.Get());
    if (options_.controlPort) {
        controlListener_ = ListenLoopback(*options_.controlPort, error);
        if (!controlListener_.Valid()) {
            return false;
        }
        controlPort_ = LocalPort(controlListener_.Get());
    }
    if (options_.bridgePort) {
        bridgeListener_ = ListenLoopback(*options_.bridgePort, error);
        if (!bridgeListener_.Valid()) {
            return false;
        }
        bridgePort_ = LocalPort(bridgeListener_.Get());
    }
    lastPhase_ = device_.Life(0).phase;
    return true;
}

void EmuServer::DropDeviceConnection(const char* why) {
    if (connection_) {
        if (options_.verbose) {
            Say(std::string("device connection closed: ") + why, NowMs());
        }
        channel_.Close(connection_.get());
        connection_.reset();
    }
}

void EmuServer::TrackDevice(uint64_t nowMs) {
    const LifeState life = device_.Life(nowMs);
    if (life.phase != lastPhase_) {
        Say(std::string("phase ") + PhaseName(lastPhase_) + " -> " + PhaseName(life.phase), nowMs);
        lastPhase_ = life.phase;
    }
    const ImageWrite& image = device_.LastImage();
    if (image.complete && !lastImage_.complete) {
        const std::optional<int> placeholder = device_.MatchingPlaceholder();
        Say("firmware image received: code " + FormatHex(image.code) + ", " + std::to_string(image.size) +
                " bytes, checksum " + FormatHex(image.checksum) +
                (placeholder ? ", placeholder " + std::to_string(*placeholder) : ""),
            nowMs);
    }
    lastImage_ = image;

    if (!life.present) {
        DropDeviceConnection("device absent");
        waiting_.Reset();
        deviceListener_.Reset();
    } else if (!deviceListener_.Valid()) {
        std::string error;
        deviceListener_ = ListenLoopback(devicePort_, error);  // retried every tick until it binds
    }
}

void EmuServer::AcceptDevice() {
    SocketFd socket = AcceptOne(deviceListener_.Get());
    if (socket.Valid()) {
        if (waiting_.Valid() && options_.verbose) {
            Say("waiting device connection replaced by a newer one", NowMs());
        }
        waiting_ = std::move(socket);
    }
}

void EmuServer::PromoteWaiting(bool currentHadEvents, uint64_t nowMs) {
    if (!waiting_.Valid()) {
        return;
    }
    const bool currentDone = !connection_ || device_.IsStalled() ||
                             (!device_.InTransaction() && connection_->AllSent() && !currentHadEvents);
    if (!currentDone) {
        return;
    }
    DropDeviceConnection("a new connection takes over");
    auto connection = std::make_unique<DeviceConnection>(std::move(waiting_), nowMs);
    if (channel_.Open(connection.get(), nowMs)) {
        connection_ = std::move(connection);
        if (options_.verbose) {
            Say("device connection opened", nowMs);
        }
    }
    waiting_.Reset();
}

void EmuServer::AcceptControl(uint64_t nowMs) {
    SocketFd socket = AcceptOne(controlListener_.Get());
    if (!socket.Valid()) {
        return;
    }
    if (controls_.size() >= options_.maxControlClients) {
        static constexpr char kRefusal[] = "err too many control connections\n";
        (void)::send(socket.Get(), kRefusal, sizeof kRefusal - 1, MSG_NOSIGNAL);
        return;
    }
    controls_.push_back(std::make_unique<ControlConnection>(std::move(socket), nowMs));
}

void EmuServer::AcceptBridge(uint64_t nowMs) {
    SocketFd socket = AcceptOne(bridgeListener_.Get());
    if (!socket.Valid()) {
        return;
    }
    if (bridges_.size() >= options_.maxBridgeClients) {
        Say("bridge connection refused: too many", nowMs);
        return;
    }
    if (options_.verbose) {
        Say("bridge connection opened", nowMs);
    }
    bridges_.push_back(std::make_unique<BridgeConnection>(std::move(socket), nowMs));
}

void EmuServer::ServiceBridges(const std::vector<pollfd>& fds, size_t firstAt, uint64_t nowMs) {
    for (size_t i = 0; i < bridges_.size(); ++i) {
        const short revents = fds[firstAt + i].revents;
        const bool alive = revents == 0 ? nowMs - bridges_[i]->LastActivityMs() < options_.controlIdleTimeoutMs
                                        : bridges_[i]->Service(device_, channel_, revents, nowMs);
        if (!alive) {
            channel_.Close(bridges_[i].get());
            if (options_.verbose) {
                Say("bridge connection closed", nowMs);
            }
            bridges_[i].reset();
        }
    }
    std::erase_if(bridges_, [](const auto& bridge) { return bridge == nullptr; });
    // A driver request that opened the device has taken it from the TCP client.
    if (connection_ && !channel_.Holds(connection_.get())) {
        DropDeviceConnection("the bridge took the device");
    }
}

void EmuServer::Run(int stopFd) {
    std::vector<pollfd> fds;
    for (;;) {
        TrackDevice(NowMs());
        fds.clear();
        fds.push_back({stopFd, POLLIN, 0});
        const size_t deviceListenerAt = fds.size();
        fds.push_back({deviceListener_.Get(), POLLIN, 0});  // a negative fd is skipped by poll
        const size_t controlListenerAt = fds.size();
        fds.push_back({controlListener_.Get(), POLLIN, 0});
        const size_t connectionAt = fds.size();
        fds.push_back({connection_ ? connection_->Fd() : -1, connection_ ? connection_->PollEvents(device_) : short{0}, 0});
        const size_t controlsAt = fds.size();
        for (const auto& control : controls_) {
            fds.push_back({control->Fd(), control->PollEvents(), 0});
        }
        const size_t bridgeListenerAt = fds.size();
        fds.push_back({bridgeListener_.Get(), POLLIN, 0});
        const size_t bridgesAt = fds.size();
        for (const auto& bridge : bridges_) {
            fds.push_back({bridge->Fd(), bridge->PollEvents(), 0});
        }
        if (::poll(fds.data(), fds.size(), kTickMs) < 0 && errno != EINTR) {
            Say("poll failed; stopping", NowMs());
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        const uint64_t nowMs = NowMs();

        const short connectionEvents = fds[connectionAt].revents;
        if (connection_ && connectionEvents != 0 && !connection_->Service(device_, connectionEvents, nowMs)) {
            DropDeviceConnection("peer closed or device gone");
        }
        if (connection_ && nowMs - connection_->LastActivityMs() >= options_.idleTimeoutMs) {
            DropDeviceConnection("idle time-out");
        }
        if ((fds[deviceListenerAt].revents & POLLIN) != 0 && deviceListener_.Valid()) {
            AcceptDevice();
        }
        PromoteWaiting(connectionEvents != 0, nowMs);

        for (size_t i = 0; i < controls_.size(); ++i) {
            const short revents = fds[controlsAt + i].revents;
            const bool alive = revents == 0 ? nowMs - controls_[i]->LastActivityMs() < options_.controlIdleTimeoutMs
                                            : controls_[i]->Service(device_, revents, nowMs);
            if (!alive) {
                controls_[i].reset();
            }
        }
        std::erase_if(controls_, [](const auto& control) { return control == nullptr; });
        if ((fds[controlListenerAt].revents & POLLIN) != 0) {
            AcceptControl(nowMs);
        }
        ServiceBridges(fds, bridgesAt, nowMs);
        if ((fds[bridgeListenerAt].revents & POLLIN) != 0) {
            AcceptBridge(nowMs);
        }
    }
}

}  // namespace emu
