// The emulated Kavrel Tessaline, as a byte-level endpoint that every front (the simulated usbscan device,
// the TCP program) drives the same way. No clock, no threads, no platform calls: the caller passes its
// own time in milliseconds (virtual in tests, real in tessaline-emu) with every call that can depend on it.
//
// Driving one transaction:
//   1. Open(now)                    false while the device is absent (powered off, unplugged).
//   2. Write(block, 16, now)        the command block; it may come in pieces (TCP) or at once (USB).
//   3. the stages by opcode, each carried by Read or Write until Remaining() is 0:
//        0x12 / unknown opcodes   Read the 32-byte reply
//        0x28                     Read the reply, then Read the data-in (any piece size, e.g. 65536)
//        0x2A                     Read the reply, then Write the data-out (one large write is fine)
//        0x2B                     Write the data-out, then Read the reply
//      Expecting() says which stage is next; after the last one it is Command again and another
//      transaction may follow on the same channel.
//   4. Close()                      abandons whatever is unfinished.
// A Read or Write moves at most what the stage still needs: a USB read asking for more than the stage
// holds completes short, as it would on the wire. Outcomes:
//   Moved          `bytes` moved (possibly fewer than asked: a short transfer, the USB front reports it)
//   Stalled        the device does not answer this stage: a USB request stays pending, TCP goes silent;
//                  it stays so until Close
//   Absent         the device is gone (or was power-cycled since Open): a USB request fails, TCP closes
//   WrongDirection the host read when the device expects bytes, or wrote when it has bytes to give
// One channel at a time: Open abandons a transaction left unfinished by an earlier channel.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "emulator/command_plan.h"
#include "emulator/image_record.h"
#include "emulator/lifecycle.h"
#include "emulator/scenario.h"
#include "link/protocol.h"

namespace emu {

enum class Outcome { Moved, Stalled, Absent, WrongDirection };

struct Transfer {
    Outcome outcome = Outcome::Moved;
    size_t bytes = 0;
};

// Where the device stands in its life. A channel opened at one presence is dead once the device has gone
// (powered off, unplugged) and come back: the handle then names a device object that no longer exists.
struct Presence {
    uint32_t absences = 0;
    uint32_t plugs = 0;
    bool operator==(const Presence&) const = default;
};

struct UsbIdentity {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t bcdDevice = 0;
};

struct CommandCounts {
    uint32_t identification = 0;
    uint32_t deviceInfo = 0;
    uint32_t deviceStatus = 0;
    uint32_t burnStatus = 0;
    uint32_t firmwareWrite = 0;
    uint32_t other = 0;     // unknown or malformed blocks
    uint32_t rejected = 0;  // blocks answered with a reject code (any kind)
};

class TessalineDevice {
public:
    TessalineDevice(Scenario scenario, uint64_t pluggedInAtMs);
    TessalineDevice(const TessalineDevice&) = delete;
    TessalineDevice& operator=(const TessalineDevice&) = delete;

    const Scenario& GetScenario() const { return scenario_; }
    Scenario& MutableScenario() { return scenario_; }

    UsbIdentity Identity() const;
    bool IsPresent(uint64_t nowMs) const;
    LifeState Life(uint64_t nowMs) const;

    // The presence now, or none while the device is absent.
    std::optional<Presence> PresenceAt(uint64_t nowMs) const;
    bool Open(uint64_t nowMs);
    // Open for a handle made at `opened`: takes the one channel, false when the device is gone or has come back
    // since. A front whose handles open without moving bytes (usbscan's descriptor request) claims at the first
    // transfer, so such a handle does not disturb another's transaction.
    bool Claim(const Presence& opened, uint64_t nowMs);
    void Close();
    bool IsOpen() const { return open_; }
    // A command block has begun and its last stage has not finished.
    bool InTransaction() const { return inTransaction_; }
    Stage Expecting() const { return stage_; }
    size_t Remaining() const;
    bool IsStalled() const { return stalled_; }

    Transfer Write(const uint8_t* data, size_t size, uint64_t nowMs);
    Transfer Read(uint8_t* buffer, size_t capacity, uint64_t nowMs);

    // The device disappears now / comes back as freshly plugged in (with the firmware it had reached).
    void Unplug(uint64_t nowMs);
    // Answers the next status and burn-status commands with these replies, one each, before the device's own
    // answers resume: for tests that need an exact sequence of states.
    void ScriptStatusReplies(std::vector<proto::StatusReply> replies);
    // Likewise for the identification and device information reads: their status replies, one each, while the
    // data they carry stays the device's own. For tests of a reply that differs between the two reads.
    void ScriptReadReplies(std::vector<proto::StatusReply> replies);
    void Plug(uint64_t nowMs);
    // Freshly plugged in with the current scenario: the life, the image record and the counters start over.
    void Reset(uint64_t nowMs);

    const ImageWrite& LastImage() const { return image_.Last(); }
    const std::vector<uint8_t>& ImageBytes() const { return image_.Bytes(); }
    std::optional<int> MatchingPlaceholder() const { return image_.MatchingPlaceholder(); }
    const CommandCounts& Counts() const { return counts_; }
    // Command blocks begun so far; stage faults name transactions by this number (the next one is +1).
    uint32_t TransactionCount() const { return transactions_; }

private:
    bool ChannelAlive(uint64_t nowMs) const;
    void BeginTransaction(uint64_t nowMs);
    void EnterStage(Stage stage, size_t length, uint64_t nowMs);
    void FinishStage(uint64_t nowMs);
    // The end of every Read and Write: `bytes` of the stage moved; a full stage finishes, a cut one stalls.
    Transfer FinishTransfer(size_t bytes, uint64_t nowMs);
    void AfterBlock(uint64_t nowMs);
    void EndTransaction();
    void Count(const CommandPlan& plan);
    void StartBurn(uint64_t nowMs);

    Scenario scenario_;
    LifeAnchors anchors_;
    ImageRecord image_;
    CommandCounts counts_;
    uint32_t transactions_ = 0;

    uint32_t plugs_ = 0;

    bool open_ = false;
    uint32_t openedAbsences_ = 0;
    uint32_t openedPlugs_ = 0;
    bool inTransaction_ = false;
    Stage stage_ = Stage::Command;
    size_t stageLength_ = 0;
    size_t stageLimit_ = 0;  // below stageLength_ when a short-transfer fault cuts the stage
    size_t stageMoved_ = 0;
    bool stalled_ = false;
    proto::CommandBytes block_{};
    CommandPlan plan_;
    std::vector<proto::StatusReply> scripted_;
    size_t scriptedNext_ = 0;
    std::vector<proto::StatusReply> scriptedReads_;
    size_t scriptedReadsNext_ = 0;
};

}  // namespace emu
