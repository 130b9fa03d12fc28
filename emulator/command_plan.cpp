#include "emulator/command_plan.h"

#include <algorithm>
#include <string_view>

#include "emulator/image_rules.h"
#include "emulator/reject_codes.h"

namespace emu {

namespace {

constexpr std::string_view kModelText = "Kavrel Tessaline";

bool Same(const proto::CommandBlock& block, const proto::CommandBlock& command) {
    return block.opcode == command.opcode && block.subCode == command.subCode && block.parameter == command.parameter;
}

bool ReadyForImage(const LifeState& life) {
    const bool restingPhase = life.phase == LifePhase::Idle || life.phase == LifePhase::Updated;
    return restingPhase && (life.fwInfo == proto::kReady || life.fwInfo == proto::kLlBoot);
}

void PlanDataIn(const proto::CommandBlock& block, const Scenario& scenario, const LifeState& life,
                CommandPlan& plan) {
    if (Same(block, proto::IdentificationRead())) {
        plan.kind = CommandKind::Identification;
        std::copy(scenario.identification.begin(), scenario.identification.end(), plan.dataIn.begin());
        plan.dataInContent = scenario.identification.size();
    } else if (Same(block, proto::DeviceInfoRead())) {
        plan.kind = CommandKind::DeviceInfo;
        std::copy(kModelText.begin(), kModelText.end(), plan.dataIn.begin());
        proto::WriteLe32(plan.dataIn.data() + proto::kMainBoardVersionOffset, life.mainBoardVersion);
        proto::WriteLe32(plan.dataIn.data() + proto::kPanelVersionOffset, scenario.panelVersion);
        plan.dataInContent = proto::kDeviceInfoSize;
    } else {
        plan.rejectCode = kRejectUnknownCommand;
    }
    if (block.dataLength > kMaxDataIn) {
        plan.rejectCode = kRejectDataLength;
        plan.dataStalls = true;
    }
}

void PlanDataOut(const proto::CommandBlock& block, const Scenario& scenario, const LifeState& life,
                 CommandPlan& plan) {
    if (block.dataLength > kMaxDataOut) {
        plan.rejectCode = kRejectDataLength;
        plan.dataStalls = true;
        return;
    }
    if (block.opcode != proto::kOpDataOut || block.subCode != proto::FirmwareWrite(0, 0).subCode) {
        plan.rejectCode = kRejectUnknownCommand;
        return;
    }
    plan.kind = CommandKind::FirmwareWrite;
    plan.rejectCode = ReadyForImage(life) ? CheckImage(scenario, block.parameter, block.dataLength) : kRejectNotReady;
    plan.takesImage = plan.rejectCode == 0;
    plan.dataStalls = !plan.takesImage;
}

void PlanStatus(const proto::CommandBlock& block, CommandPlan& plan) {
    if (block.subCode == proto::DeviceStatus().subCode) {
        plan.kind = CommandKind::DeviceStatus;
    } else if (block.subCode == proto::BurnStatus().subCode) {
        plan.kind = CommandKind::BurnStatus;
    } else {
        plan.rejectCode = kRejectUnknownCommand;
    }
}

}  // namespace

CommandPlan PlanCommand(const uint8_t* block16, const Scenario& scenario, const LifeState& life) {
    const proto::CommandBlock block = proto::Decode(block16);
    CommandPlan plan;
    switch (block.opcode) {
    case proto::kOpStatus:
        PlanStatus(block, plan);
        break;
    case proto::kOpDataIn:
        plan.dataStage = Stage::DataIn;
        plan.dataLength = block.dataLength;
        PlanDataIn(block, scenario, life, plan);
        break;
    case proto::kOpDataOut:
    case proto::kOpDataOutFirst:
        plan.dataStage = Stage::DataOut;
        plan.dataLength = block.dataLength;
        plan.replyFirst = block.opcode == proto::kOpDataOut;
        PlanDataOut(block, scenario, life, plan);
        break;
    default:
        plan.rejectCode = kRejectUnknownCommand;
        break;
    }
    if (!proto::HasLeadWord(block16)) {
        plan.kind = CommandKind::Other;
        plan.rejectCode = kRejectLeadWord;
        plan.dataInContent = 0;
        if (plan.takesImage) {
            plan.takesImage = false;
            plan.dataStalls = true;
        }
    }

    proto::StatusReply reply;
    reply.errorCode = plan.rejectCode != 0 ? plan.rejectCode : life.errorCode;
    reply.fwInfo = life.fwInfo;
    const bool burning = life.phase == LifePhase::Burning || life.phase == LifePhase::Halted;
    reply.burnPercent = burning ? life.burnPercent : 0;
    reply.ubootVersion = scenario.ubootVersion;
    plan.reply = proto::EncodeReply(reply);
    return plan;
}

}  // namespace emu
