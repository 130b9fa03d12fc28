#include "transaction_driver.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace emu_test {

namespace {

constexpr size_t kReadPiece = 65536;

bool MoveIn(emu::TessalineDevice& device, emu::Stage stage, uint8_t* buffer, size_t length, uint64_t nowMs,
            Exchange& exchange, size_t& moved) {
    moved = 0;
    while (moved < length) {
        const emu::Transfer transfer = device.Read(buffer + moved, std::min(kReadPiece, length - moved), nowMs);
        moved += transfer.bytes;
        if (transfer.outcome != emu::Outcome::Moved || transfer.bytes == 0) {
            exchange.failedStage = stage;
            exchange.failure = transfer.outcome == emu::Outcome::Moved ? emu::Outcome::Stalled : transfer.outcome;
            return false;
        }
    }
    return true;
}

bool MoveOut(emu::TessalineDevice& device, emu::Stage stage, const uint8_t* data, size_t length, uint64_t nowMs,
             Exchange& exchange, size_t& moved) {
    const emu::Transfer transfer = device.Write(data, length, nowMs);
    moved = transfer.bytes;
    if (transfer.outcome != emu::Outcome::Moved || transfer.bytes != length) {
        exchange.failedStage = stage;
        exchange.failure = transfer.outcome == emu::Outcome::Moved ? emu::Outcome::Stalled : transfer.outcome;
        return false;
    }
    return true;
}

// Without caller data the data-out is zeros; an absurd length is offered only in part, since a device that
// stalls such a stage must not be handed a buffer shorter than the length it is told.
struct DataOut {
    std::vector<uint8_t> zeros;
    const uint8_t* data = nullptr;
    size_t length = 0;
};

DataOut MakeDataOut(const uint8_t* dataOut, uint32_t length) {
    constexpr size_t kMaxZeros = size_t{1} << 24;
    DataOut out;
    if (dataOut != nullptr) {
        out.data = dataOut;
        out.length = length;
    } else {
        out.zeros.resize(std::min<size_t>(length, kMaxZeros));
        out.data = out.zeros.data();
        out.length = out.zeros.size();
    }
    return out;
}

bool Stages(emu::TessalineDevice& device, const proto::CommandBytes& bytes, uint64_t nowMs, const uint8_t* dataOut,
            Exchange& exchange) {
    const proto::CommandBlock block = proto::Decode(bytes.data());
    size_t moved = 0;
    if (!MoveOut(device, emu::Stage::Command, bytes.data(), bytes.size(), nowMs, exchange, moved)) {
        return false;
    }
    const bool hasDataOut = block.opcode == proto::kOpDataOut || block.opcode == proto::kOpDataOutFirst;
    const DataOut out = MakeDataOut(dataOut, hasDataOut ? block.dataLength : 0);
    if (block.opcode == proto::kOpDataOutFirst && block.dataLength > 0 &&
        !MoveOut(device, emu::Stage::DataOut, out.data, out.length, nowMs, exchange, exchange.dataOutTaken)) {
        return false;
    }
    if (!MoveIn(device, emu::Stage::Reply, exchange.reply.data(), exchange.reply.size(), nowMs, exchange,
                exchange.replyBytes)) {
        return false;
    }
    if (block.opcode == proto::kOpDataIn && block.dataLength > 0) {
        exchange.dataIn.resize(std::min<size_t>(block.dataLength, size_t{1} << 24));
        return MoveIn(device, emu::Stage::DataIn, exchange.dataIn.data(), exchange.dataIn.size(), nowMs, exchange,
                      moved);
    }
    if (block.opcode == proto::kOpDataOut && block.dataLength > 0) {
        return MoveOut(device, emu::Stage::DataOut, out.data, out.length, nowMs, exchange, exchange.dataOutTaken);
    }
    return true;
}

proto::StatusReply StatusCommand(emu::TessalineDevice& device, const proto::CommandBlock& block, uint64_t nowMs) {
    const Exchange exchange = RunTransaction(device, block, nowMs);
    EXPECT_TRUE(exchange.complete) << "at " << nowMs << " ms: " << exchange.Describe();
    return exchange.Reply();
}

}  // namespace

const char* OutcomeName(emu::Outcome outcome) {
    switch (outcome) {
    case emu::Outcome::Moved: return "moved";
    case emu::Outcome::Stalled: return "stalled";
    case emu::Outcome::Absent: return "absent";
    case emu::Outcome::WrongDirection: return "wrong direction";
    }
    return "?";
}

const char* StageName(emu::Stage stage) {
    switch (stage) {
    case emu::Stage::Command: return "command";
    case emu::Stage::Reply: return "reply";
    case emu::Stage::DataIn: return "data-in";
    case emu::Stage::DataOut: return "data-out";
    }
    return "?";
}

std::string Exchange::Describe() const {
    if (!opened) {
        return "open failed";
    }
    if (complete) {
        return "complete";
    }
    return std::string(OutcomeName(failure)) + " in the " + StageName(failedStage) + " stage";
}

Exchange RunTransaction(emu::TessalineDevice& device, const proto::CommandBytes& block, uint64_t nowMs,
                        const uint8_t* dataOut) {
    Exchange exchange;
    exchange.opened = device.Open(nowMs);
    if (exchange.opened) {
        exchange.complete = Stages(device, block, nowMs, dataOut, exchange);
    }
    device.Close();
    return exchange;
}

Exchange RunTransaction(emu::TessalineDevice& device, const proto::CommandBlock& block, uint64_t nowMs,
                        const uint8_t* dataOut) {
    return RunTransaction(device, proto::Encode(block), nowMs, dataOut);
}

proto::StatusReply DeviceStatus(emu::TessalineDevice& device, uint64_t nowMs) {
    return StatusCommand(device, proto::DeviceStatus(), nowMs);
}

proto::StatusReply BurnStatus(emu::TessalineDevice& device, uint64_t nowMs) {
    return StatusCommand(device, proto::BurnStatus(), nowMs);
}

}  // namespace emu_test
