#include "emulator/control_commands.h"

#include "emulator/lifecycle.h"
#include "emulator/scenario_text.h"

namespace emu {

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// Splits off the first word; `rest` keeps everything after it, trimmed.
std::string_view NextWord(std::string_view& rest) {
    rest = Trim(rest);
    const size_t end = rest.find_first_of(" \t");
    const std::string_view word = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : Trim(rest.substr(end));
    return word;
}

std::string Status(const TessalineDevice& device, uint64_t nowMs) {
    const LifeState life = device.Life(nowMs);
    return "ok phase=" + std::string(PhaseName(life.phase)) + " present=" + (life.present ? "1" : "0") +
           " fwinfo=" + std::to_string(life.fwInfo) + " percent=" + std::to_string(life.burnPercent) +
           " error=" + FormatHex(life.errorCode) + " mb=" + FormatVersionValue(life.mainBoardVersion) +
           " in-phase-ms=" + std::to_string(nowMs - life.phaseStartMs) +
           " transactions=" + std::to_string(device.TransactionCount()) + " open=" + (device.IsOpen() ? "1" : "0") +
           " stalled=" + (device.IsStalled() ? "1" : "0");
}

std::string Image(const TessalineDevice& device) {
    const ImageWrite& image = device.LastImage();
    const std::optional<int> placeholder = device.MatchingPlaceholder();
    return "ok seen=" + std::string(image.seen ? "1" : "0") + " code=" + FormatHex(image.code) +
           " size=" + std::to_string(image.size) + " received=" + std::to_string(image.received) +
           " checksum=" + FormatHex(image.checksum) + " complete=" + (image.complete ? "1" : "0") +
           " accepted=" + (image.seen && image.rejectCode == 0 ? "1" : "0") + " reject=" + FormatHex(image.rejectCode) +
           " placeholder=" + (placeholder ? std::to_string(*placeholder) : "none");
}

std::string Counts(const TessalineDevice& device) {
    const CommandCounts& counts = device.Counts();
    return "ok identification=" + std::to_string(counts.identification) +
           " device-info=" + std::to_string(counts.deviceInfo) + " device-status=" + std::to_string(counts.deviceStatus) +
           " burn-status=" + std::to_string(counts.burnStatus) + " firmware-write=" + std::to_string(counts.firmwareWrite) +
           " other=" + std::to_string(counts.other) + " rejected=" + std::to_string(counts.rejected);
}

std::string AllFields(const Scenario& scenario) {
    std::string text = "ok";
    for (const FieldHelp& field : ScenarioFields()) {
        text += ' ' + std::string(field.name) + '=' + GetScenarioField(scenario, field.name).value_or("?");
    }
    return text;
}

std::string FieldNames() {
    std::string text = "ok";
    for (const FieldHelp& field : ScenarioFields()) {
        text += ' ' + std::string(field.name);
    }
    return text;
}

}  // namespace

std::string HandleControlLine(TessalineDevice& device, std::string_view line, uint64_t nowMs) {
    std::string_view rest = line;
    const std::string_view command = NextWord(rest);
    if (command == "help") {
        return "ok commands: help fields get [NAME] set NAME VALUE status image counts unplug plug reset quit";
    }
    if (command == "fields") {
        return FieldNames();
    }
    if (command == "get") {
        if (rest.empty()) {
            return AllFields(device.GetScenario());
        }
        const std::optional<std::string> value = GetScenarioField(device.GetScenario(), rest);
        return value ? "ok " + *value : "err unknown field '" + std::string(rest) + "'";
    }
    if (command == "set") {
        const std::string_view name = NextWord(rest);
        std::string error;
        return SetScenarioField(device.MutableScenario(), name, rest, error) ? "ok" : "err " + error;
    }
    if (command == "status") {
        return Status(device, nowMs);
    }
    if (command == "image") {
        return Image(device);
    }
    if (command == "counts") {
        return Counts(device);
    }
    if (command == "unplug") {
        device.Unplug(nowMs);
        return "ok";
    }
    if (command == "plug") {
        device.Plug(nowMs);
        return "ok";
    }
    if (command == "reset") {
        device.Reset(nowMs);
        return "ok";
    }
    return command.empty() ? "err empty command" : "err unknown command '" + std::string(command) + "' (try help)";
}

}  // namespace emu
