// Who holds the emulated device's one channel in tessaline-emu: the served TCP connection or one bridge
// connection. Opening for one holder abandons what another left unfinished, as a second open does on the
// device itself; a holder that no longer holds the channel sees the device as gone.
#pragma once

#include <cstdint>

#include "emulator/tessaline_device.h"

namespace emu {

class ChannelHolder {
public:
    explicit ChannelHolder(TessalineDevice& device) : device_(device) {}
    ChannelHolder(const ChannelHolder&) = delete;
    ChannelHolder& operator=(const ChannelHolder&) = delete;

    // False while the device is absent; the channel is then held by nobody.
    bool Open(const void* holder, uint64_t nowMs) {
        holder_ = device_.Open(nowMs) ? holder : nullptr;
        return holder_ != nullptr;
    }
    void Close(const void* holder) {
        if (holder_ == holder && holder != nullptr) {
            device_.Close();
            holder_ = nullptr;
        }
    }
    bool Holds(const void* holder) const { return holder != nullptr && holder_ == holder; }

private:
    TessalineDevice& device_;
    const void* holder_ = nullptr;
};

}  // namespace emu
