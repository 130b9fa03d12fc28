// What an emulated Kavrel Tessaline is and how it misbehaves: plain data, set before or during a run.
// The device model (tessaline_device.h) reads it on every request, so a change applies at once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace emu {

// The device's own life, as a sequence of phases on the caller's clock.
//   Idle      before any firmware write: FWInfo = Scenario::fwInfo, versions as set.
//   Burning   from the end of an accepted firmware write, burnMs long (for ever with burnsForever): FWInfo 7,
//             BurnPercent 0..99.
//   Halted    a burn stopped by kBurnFailedError: FWInfo 7, BurnPercent frozen, never powers off.
//   Settling  burn finished, readyBeforeOffMs long: FWInfo 0, still the old versions.
//   Off       offMs long: absent, every open fails.
//   Booting   bootMs long after power-on: FWInfo 4.
//   Updated   ready with the new firmware: FWInfo 0, main-board version = mainBoardVersionAfter (the old
//             version with Faults::keepsOldFirmware).
//   Unplugged absent for good (an unplug fault, or the control port's "unplug").
enum class LifePhase { Idle, Burning, Halted, Settling, Off, Booting, Updated, Unplugged };

// The stages of one transaction, in the order the opcode gives them.
enum class Stage { Command, Reply, DataIn, DataOut };

// What happens to one stage of one transaction.
//   NoReply  the device never completes the stage: on USB the request stays pending, on TCP it goes silent.
//   Short    only `bytes` bytes of the stage move, then the device drops the transaction.
//   Unplug   the device disappears when the stage begins (IsPresent false from then on).
enum class FaultKind { NoReply, Short, Unplug };

struct StageFault {
    uint32_t transaction = 1;  // 1 = the first command block the device sees (see TransactionCount)
    uint32_t count = 1;        // consecutive transactions it hits; 0 = every one from `transaction` on
    Stage stage = Stage::Reply;
    FaultKind kind = FaultKind::NoReply;
    uint32_t bytes = 0;  // Short only
};

struct Faults {
    // ErrorCode in the replies of a burn from BurnPercent `burnErrorAtPercent` on. kBurnFailedError halts
    // the burn there (Halted); any other code is reported while the burn goes on.
    uint32_t burnErrorCode = 0;  // 0 = none
    uint8_t burnErrorAtPercent = 0;
    // An FWInfo other than 7 reported during the burn from BurnPercent `burnFwInfoAtPercent` on.
    std::optional<uint16_t> burnFwInfo;
    uint8_t burnFwInfoAtPercent = 0;
    bool burnsForever = false;    // Burning lasts for ever; BurnPercent stops at 99
    bool neverPowersOff = false;  // Settling lasts for ever
    bool neverComesBack = false;  // Off lasts for ever
    bool staysBusy = false;       // Booting lasts for ever
    // The burn does not take: the device powers off and on and comes back ready on the firmware it had, still
    // reporting the main-board version it had before the burn.
    bool keepsOldFirmware = false;
    // Unplugged once the device has spent unplugAfterMs in phase unplugInPhase.
    std::optional<LifePhase> unplugInPhase;
    uint64_t unplugAfterMs = 0;
    std::vector<StageFault> stageFaults;
    // For the USB front: the device descriptor request fails, so a search skips this device.
    bool descriptorFails = false;
};

struct Scenario {
    // USB identity; bcdDevice 1 makes the tool take its direct path.
    uint16_t vendorId = 0x1209;
    uint16_t productId = 0x0001;
    uint16_t bcdDevice = 0x0100;

    // 14 bytes, sent as they are: may hold NUL or bytes that are not UTF-8.
    std::array<uint8_t, 14> identification{'K', 'T', '-', 'A', '4', '-', '0', '0', '0', '1', '2', '3', '4', '5'};
    uint16_t fwInfo = 0;                      // state before any burn
    uint8_t ubootVersion = 8;                 // boot-loader version: selects the image the device accepts
    uint32_t mainBoardVersion = 60;           // 0.60 (major << 16 | minor)
    uint32_t panelVersion = 0x0001'0005;      // 1.05
    uint32_t mainBoardVersionAfter = 68;      // 0.68, reported once Updated

    // Phase durations. The arithmetic assumes device-like values (far below 2^50 ms).
    uint64_t burnMs = 20000;
    uint64_t readyBeforeOffMs = 3000;
    uint64_t offMs = 5000;
    uint64_t bootMs = 5000;

    // Accept only the image code that matches ubootVersion and the path bcdDevice selects.
    bool strictImageCheck = true;
    // Keep a copy of the image bytes (tests compare them); otherwise only the count and checksum are kept.
    bool keepImageBytes = false;

    Faults faults;
};

}  // namespace emu
