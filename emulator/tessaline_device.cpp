#include "emulator/tessaline_device.h"

#include <algorithm>
#include <utility>

namespace emu {

namespace {

const StageFault* FindStageFault(const Faults& faults, uint32_t transaction, Stage stage) {
    for (const StageFault& fault : faults.stageFaults) {
        const bool inRange = transaction >= fault.transaction &&
                             (fault.count == 0 || transaction - fault.transaction < fault.count);
        if (fault.stage == stage && inRange) {
            return &fault;
        }
    }
    return nullptr;
}

}  // namespace

TessalineDevice::TessalineDevice(Scenario scenario, uint64_t pluggedInAtMs) : scenario_(std::move(scenario)) {
    anchors_.pluggedAtMs = pluggedInAtMs;
}

UsbIdentity TessalineDevice::Identity() const {
    return {scenario_.vendorId, scenario_.productId, scenario_.bcdDevice};
}

LifeState TessalineDevice::Life(uint64_t nowMs) const {
    return LifeAt(scenario_, anchors_, nowMs);
}

bool TessalineDevice::IsPresent(uint64_t nowMs) const {
    return Life(nowMs).present;
}

std::optional<Presence> TessalineDevice::PresenceAt(uint64_t nowMs) const {
    const LifeState life = Life(nowMs);
    if (!life.present) {
        return std::nullopt;
    }
    return Presence{life.absences, plugs_};
}

bool TessalineDevice::Open(uint64_t nowMs) {
    const std::optional<Presence> now = PresenceAt(nowMs);
    if (!now) {
        Close();
        return false;
    }
    return Claim(*now, nowMs);
}

bool TessalineDevice::Claim(const Presence& opened, uint64_t nowMs) {
    Close();
    if (PresenceAt(nowMs) != opened) {
        return false;
    }
    open_ = true;
    openedAbsences_ = opened.absences;
    openedPlugs_ = opened.plugs;
    return true;
}

void TessalineDevice::Close() {
    if (inTransaction_ && stage_ == Stage::DataOut && plan_.takesImage) {
        image_.Finish();  // recorded as incomplete
    }
    open_ = false;
    stalled_ = false;
    EndTransaction();
}

size_t TessalineDevice::Remaining() const {
    if (!inTransaction_) {
        return proto::kCommandBlockSize;
    }
    return stageLimit_ - stageMoved_;
}

bool TessalineDevice::ChannelAlive(uint64_t nowMs) const {
    if (!open_ || openedPlugs_ != plugs_) {
        return false;
    }
    const LifeState life = Life(nowMs);
    return life.present && life.absences == openedAbsences_;
}

void TessalineDevice::BeginTransaction(uint64_t nowMs) {
    ++transactions_;
    inTransaction_ = true;
    EnterStage(Stage::Command, proto::kCommandBlockSize, nowMs);
}

void TessalineDevice::EnterStage(Stage stage, size_t length, uint64_t nowMs) {
    stage_ = stage;
    stageLength_ = length;
    stageLimit_ = length;
    stageMoved_ = 0;
    const bool dataStage = stage == Stage::DataIn || stage == Stage::DataOut;
    if (dataStage && plan_.dataStalls) {
        stalled_ = true;
    }
    if (const StageFault* fault = FindStageFault(scenario_.faults, transactions_, stage)) {
        switch (fault->kind) {
        case FaultKind::NoReply:
            stalled_ = true;
            break;
        case FaultKind::Short:
            stageLimit_ = std::min<size_t>(fault->bytes, length);
            stalled_ = stalled_ || stageLimit_ == 0;
            break;
        case FaultKind::Unplug:
            Unplug(nowMs);
            break;
        }
    }
}

void TessalineDevice::EndTransaction() {
    inTransaction_ = false;
    stage_ = Stage::Command;
    stageLength_ = stageLimit_ = stageMoved_ = 0;
}

void TessalineDevice::Count(const CommandPlan& plan) {
    switch (plan.kind) {
    case CommandKind::Identification: ++counts_.identification; break;
    case CommandKind::DeviceInfo: ++counts_.deviceInfo; break;
    case CommandKind::DeviceStatus: ++counts_.deviceStatus; break;
    case CommandKind::BurnStatus: ++counts_.burnStatus; break;
    case CommandKind::FirmwareWrite: ++counts_.firmwareWrite; break;
    case CommandKind::Other: ++counts_.other; break;
    }
    if (plan.rejectCode != 0) {
        ++counts_.rejected;
    }
}

void TessalineDevice::ScriptStatusReplies(std::vector<proto::StatusReply> replies) {
    scripted_ = std::move(replies);
    scriptedNext_ = 0;
}

void TessalineDevice::ScriptReadReplies(std::vector<proto::StatusReply> replies) {
    scriptedReads_ = std::move(replies);
    scriptedReadsNext_ = 0;
}

void TessalineDevice::AfterBlock(uint64_t nowMs) {
    plan_ = PlanCommand(block_.data(), scenario_, Life(nowMs));
    const bool statusCommand = plan_.kind == CommandKind::DeviceStatus || plan_.kind == CommandKind::BurnStatus;
    if (statusCommand && scriptedNext_ < scripted_.size()) plan_.reply = proto::EncodeReply(scripted_[scriptedNext_++]);
    const bool readCommand = plan_.kind == CommandKind::Identification || plan_.kind == CommandKind::DeviceInfo;
    if (readCommand && scriptedReadsNext_ < scriptedReads_.size()) {
        plan_.reply = proto::EncodeReply(scriptedReads_[scriptedReadsNext_++]);
    }
    Count(plan_);
    if (plan_.kind == CommandKind::FirmwareWrite) {
        const proto::CommandBlock block = proto::Decode(block_.data());
        image_.Begin(block.parameter, block.dataLength, plan_.rejectCode, scenario_.keepImageBytes);
    }
    if (!plan_.replyFirst && plan_.dataLength > 0) {
        EnterStage(Stage::DataOut, plan_.dataLength, nowMs);
    } else {
        EnterStage(Stage::Reply, proto::kStatusReplySize, nowMs);
    }
}

void TessalineDevice::StartBurn(uint64_t nowMs) {
    anchors_.versionBeforeBurn = Life(nowMs).mainBoardVersion;
    anchors_.burnStartMs = nowMs;
}

void TessalineDevice::FinishStage(uint64_t nowMs) {
    switch (stage_) {
    case Stage::Command:
        AfterBlock(nowMs);
        break;
    case Stage::Reply:
        if (plan_.replyFirst && plan_.dataLength > 0) {
            EnterStage(plan_.dataStage, plan_.dataLength, nowMs);
        } else {
            EndTransaction();
        }
        break;
    case Stage::DataIn:
        EndTransaction();
        break;
    case Stage::DataOut:
        if (plan_.takesImage) {
            image_.Finish();
            StartBurn(nowMs);
        }
        if (plan_.replyFirst) {
            EndTransaction();
        } else {
            EnterStage(Stage::Reply, proto::kStatusReplySize, nowMs);
        }
        break;
    }
}

Transfer TessalineDevice::FinishTransfer(size_t bytes, uint64_t nowMs) {
    stageMoved_ += bytes;
    if (stageMoved_ == stageLimit_) {
        if (stageLimit_ < stageLength_) {
            stalled_ = true;  // a short transfer: the device drops the rest of the transaction
        } else {
            FinishStage(nowMs);
        }
    }
    return {Outcome::Moved, bytes};
}

Transfer TessalineDevice::Write(const uint8_t* data, size_t size, uint64_t nowMs) {
    if (!ChannelAlive(nowMs)) {
        return {Outcome::Absent, 0};
    }
    if (stage_ == Stage::Reply || stage_ == Stage::DataIn) {
        return {Outcome::WrongDirection, 0};
    }
    if (size == 0) {
        return {Outcome::Moved, 0};
    }
    if (!inTransaction_) {
        BeginTransaction(nowMs);
        if (!ChannelAlive(nowMs)) {
            return {Outcome::Absent, 0};
        }
    }
    if (stalled_) {
        return {Outcome::Stalled, 0};
    }
    const size_t take = std::min(size, stageLimit_ - stageMoved_);
    if (stage_ == Stage::Command) {
        std::copy(data, data + take, block_.begin() + static_cast<std::ptrdiff_t>(stageMoved_));
    } else if (plan_.takesImage) {
        image_.Take(data, take);
    }
    return FinishTransfer(take, nowMs);
}

Transfer TessalineDevice::Read(uint8_t* buffer, size_t capacity, uint64_t nowMs) {
    if (!ChannelAlive(nowMs)) {
        return {Outcome::Absent, 0};
    }
    if (!inTransaction_ || stage_ == Stage::Command || stage_ == Stage::DataOut) {
        return {Outcome::WrongDirection, 0};
    }
    if (stalled_) {
        return {Outcome::Stalled, 0};
    }
    const size_t take = std::min(capacity, stageLimit_ - stageMoved_);
    for (size_t i = 0; i < take; ++i) {
        const size_t at = stageMoved_ + i;
        if (stage_ == Stage::Reply) {
            buffer[i] = plan_.reply[at];
        } else {
            buffer[i] = at < plan_.dataInContent ? plan_.dataIn[at] : 0;
        }
    }
    return FinishTransfer(take, nowMs);
}

void TessalineDevice::Unplug(uint64_t nowMs) {
    if (!anchors_.unpluggedAtMs || *anchors_.unpluggedAtMs > nowMs) {
        anchors_.unpluggedAtMs = nowMs;
    }
}

void TessalineDevice::Plug(uint64_t nowMs) {
    // Whatever firmware the device had reached when it went away is what it wakes up with.
    const LifeState now = Life(nowMs);
    const uint64_t lastAwakeMs = now.phase == LifePhase::Unplugged && now.phaseStartMs > 0 ? now.phaseStartMs - 1 : nowMs;
    const LifePhase reached = Life(lastAwakeMs).phase;
    const bool updated = reached == LifePhase::Off || reached == LifePhase::Booting || reached == LifePhase::Updated;
    const uint32_t versionBeforeBurn = anchors_.versionBeforeBurn;  // the firmware kept when a burn did not take
    Close();
    anchors_ = LifeAnchors{};
    anchors_.pluggedAtMs = nowMs;
    anchors_.startsUpdated = updated;
    anchors_.versionBeforeBurn = versionBeforeBurn;
    ++plugs_;
}

void TessalineDevice::Reset(uint64_t nowMs) {
    Close();
    anchors_ = LifeAnchors{};
    anchors_.pluggedAtMs = nowMs;
    image_ = ImageRecord{};
    counts_ = CommandCounts{};
    transactions_ = 0;
    ++plugs_;
}

}  // namespace emu
