#include "emulator/scenario_text.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <limits>
#include <variant>
#include <vector>

#include "emulator/lifecycle.h"

namespace emu {

namespace {

using Ident = std::array<uint8_t, 14>;
using Ref = std::variant<uint8_t*, uint16_t*, uint32_t*, uint64_t*, bool*, Ident*, std::optional<uint16_t>*,
                         std::optional<LifePhase>*, std::vector<StageFault>*>;

enum class Style { Decimal, Hex, Version, Text, HexBytes };

struct Field {
    FieldHelp help;
    Style style;
    Ref (*locate)(Scenario&);
};

// clang-format off
constexpr auto kFields = std::to_array<Field>({
    {{"vid", "USB vendor id"}, Style::Hex, [](Scenario& s) -> Ref { return &s.vendorId; }},
    {{"pid", "USB product id"}, Style::Hex, [](Scenario& s) -> Ref { return &s.productId; }},
    {{"bcd", "USB release number (bcdDevice); 1 = the tool's direct path"}, Style::Hex, [](Scenario& s) -> Ref { return &s.bcdDevice; }},
    {{"ident", "identification text, up to 14 bytes, NUL-padded"}, Style::Text, [](Scenario& s) -> Ref { return &s.identification; }},
    {{"ident-hex", "identification as 28 hex digits (any bytes)"}, Style::HexBytes, [](Scenario& s) -> Ref { return &s.identification; }},
    {{"fwinfo", "FWInfo before any burn (0 ready, 4 busy, 6 llboot, 7 updating)"}, Style::Decimal, [](Scenario& s) -> Ref { return &s.fwInfo; }},
    {{"uboot", "UBootVersion, which picks the image (see below)"}, Style::Decimal, [](Scenario& s) -> Ref { return &s.ubootVersion; }},
    {{"mb", "main-board version before the update"}, Style::Version, [](Scenario& s) -> Ref { return &s.mainBoardVersion; }},
    {{"panel", "panel version"}, Style::Version, [](Scenario& s) -> Ref { return &s.panelVersion; }},
    {{"mb-after", "main-board version once updated"}, Style::Version, [](Scenario& s) -> Ref { return &s.mainBoardVersionAfter; }},
    {{"burn-ms", "burn duration"}, Style::Decimal, [](Scenario& s) -> Ref { return &s.burnMs; }},
    {{"ready-ms", "READY time between the burn and the power-off"}, Style::Decimal, [](Scenario& s) -> Ref { return &s.readyBeforeOffMs; }},
    {{"off-ms", "time powered off"}, Style::Decimal, [](Scenario& s) -> Ref { return &s.offMs; }},
    {{"boot-ms", "BUSY time after power-on"}, Style::Decimal, [](Scenario& s) -> Ref { return &s.bootMs; }},
    {{"strict-image", "accept only the image code for this boot loader and path"}, Style::Decimal, [](Scenario& s) -> Ref { return &s.strictImageCheck; }},
    {{"keep-bytes", "keep a copy of the image bytes"}, Style::Decimal, [](Scenario& s) -> Ref { return &s.keepImageBytes; }},
    {{"burn-error", "ErrorCode during the burn (0x7001 halts it; 0 = none)"}, Style::Hex, [](Scenario& s) -> Ref { return &s.faults.burnErrorCode; }},
    {{"burn-error-at", "BurnPercent from which burn-error is reported"}, Style::Decimal, [](Scenario& s) -> Ref { return &s.faults.burnErrorAtPercent; }},
    {{"burn-fwinfo", "FWInfo reported instead of 7 during the burn, or none"}, Style::Hex, [](Scenario& s) -> Ref { return &s.faults.burnFwInfo; }},
    {{"burn-fwinfo-at", "BurnPercent from which burn-fwinfo is reported"}, Style::Decimal, [](Scenario& s) -> Ref { return &s.faults.burnFwInfoAtPercent; }},
    {{"burn-forever", "keep burning for ever, BurnPercent stopping at 99"}, Style::Decimal, [](Scenario& s) -> Ref { return &s.faults.burnsForever; }},
    {{"never-off", "stay READY after the burn, never power off"}, Style::Decimal, [](Scenario& s) -> Ref { return &s.faults.neverPowersOff; }},
    {{"never-back", "never power on again"}, Style::Decimal, [](Scenario& s) -> Ref { return &s.faults.neverComesBack; }},
    {{"stays-busy", "stay BUSY after power-on"}, Style::Decimal, [](Scenario& s) -> Ref { return &s.faults.staysBusy; }},
    {{"keeps-old", "the burn does not take: back READY on the old firmware and main-board version"}, Style::Decimal, [](Scenario& s) -> Ref { return &s.faults.keepsOldFirmware; }},
    {{"unplug-phase", "unplugged in this phase (idle burning halted settling off booting updated), or none"}, Style::Text, [](Scenario& s) -> Ref { return &s.faults.unplugInPhase; }},
    {{"unplug-after-ms", "time spent in unplug-phase before the unplug"}, Style::Decimal, [](Scenario& s) -> Ref { return &s.faults.unplugAfterMs; }},
    {{"faults", "stage faults: kind,transactions,stage[,bytes];... or none"}, Style::Text, [](Scenario& s) -> Ref { return &s.faults.stageFaults; }},
    {{"descriptor-fails", "USB descriptor request fails"}, Style::Decimal, [](Scenario& s) -> Ref { return &s.faults.descriptorFails; }},
});
// clang-format on

constexpr std::array<FieldHelp, kFields.size()> MakeHelp() {
    std::array<FieldHelp, kFields.size()> help{};
    for (size_t i = 0; i < kFields.size(); ++i) {
        help[i] = kFields[i].help;
    }
    return help;
}
constexpr std::array<FieldHelp, kFields.size()> kHelp = MakeHelp();

const Field* FindField(std::string_view name) {
    for (const Field& field : kFields) {
        if (field.help.name == name) {
            return &field;
        }
    }
    return nullptr;
}

std::optional<bool> ParseBool(std::string_view text) {
    for (std::string_view yes : {"1", "yes", "true", "on"}) {
        if (text == yes) return true;
    }
    for (std::string_view no : {"0", "no", "false", "off"}) {
        if (text == no) return false;
    }
    return std::nullopt;
}

std::optional<uint32_t> ParseVersion(std::string_view text) {
    const size_t dot = text.find('.');
    if (dot == std::string_view::npos) {
        const std::optional<uint64_t> raw = ParseNumber(text);
        if (!raw || *raw > std::numeric_limits<uint32_t>::max()) return std::nullopt;
        return static_cast<uint32_t>(*raw);
    }
    const std::optional<uint64_t> major = ParseNumber(text.substr(0, dot));
    const std::optional<uint64_t> minor = ParseNumber(text.substr(dot + 1));
    if (!major || !minor || *major > 0xFFFF || *minor > 0xFFFF) return std::nullopt;
    return static_cast<uint32_t>(*major << 16 | *minor);
}

constexpr std::array<std::string_view, 4> kStageNames{"command", "reply", "datain", "dataout"};
constexpr std::array<std::string_view, 3> kKindNames{"noreply", "short", "unplug"};

template <typename Enum, size_t N>
std::optional<Enum> EnumFromName(const std::array<std::string_view, N>& names, std::string_view text) {
    for (size_t i = 0; i < N; ++i) {
        if (names[i] == text) return static_cast<Enum>(i);
    }
    return std::nullopt;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::optional<StageFault> ParseStageFault(std::string_view text) {
    const std::vector<std::string_view> parts = Split(text, ',');
    if (parts.size() < 3 || parts.size() > 4) return std::nullopt;
    StageFault fault;
    const std::optional<FaultKind> kind = EnumFromName<FaultKind>(kKindNames, parts[0]);
    const std::optional<Stage> stage = EnumFromName<Stage>(kStageNames, parts[2]);
    if (!kind || !stage) return std::nullopt;
    fault.kind = *kind;
    fault.stage = *stage;
    std::string_view range = parts[1];
    std::optional<uint64_t> first, last;
    if (!range.empty() && range.back() == '+') {
        first = ParseNumber(range.substr(0, range.size() - 1));
        fault.count = 0;
    } else if (const size_t dash = range.find('-'); dash != std::string_view::npos) {
        first = ParseNumber(range.substr(0, dash));
        last = ParseNumber(range.substr(dash + 1));
        if (!last || !first || *last < *first || *last > std::numeric_limits<uint32_t>::max()) return std::nullopt;
        fault.count = static_cast<uint32_t>(*last - *first + 1);
    } else {
        first = ParseNumber(range);
    }
    if (!first || *first == 0 || *first > std::numeric_limits<uint32_t>::max()) return std::nullopt;
    fault.transaction = static_cast<uint32_t>(*first);
    if (parts.size() == 4) {
        const std::optional<uint64_t> bytes = ParseNumber(parts[3]);
        if (!bytes || *bytes > std::numeric_limits<uint32_t>::max() || fault.kind != FaultKind::Short) return std::nullopt;
        fault.bytes = static_cast<uint32_t>(*bytes);
    }
    return fault;
}

std::string FormatStageFault(const StageFault& fault) {
    std::string text(kKindNames[static_cast<size_t>(fault.kind)]);
    text += ',' + std::to_string(fault.transaction);
    if (fault.count == 0) {
        text += '+';
    } else if (fault.count > 1) {
        text += '-' + std::to_string(fault.transaction + fault.count - 1);
    }
    text += ',';
    text += kStageNames[static_cast<size_t>(fault.stage)];
    if (fault.kind == FaultKind::Short) {
        text += ',' + std::to_string(fault.bytes);
    }
    return text;
}

template <typename T>
bool SetUnsigned(T* target, std::string_view value) {
    const std::optional<uint64_t> number = ParseNumber(value);
    if (!number || *number > std::numeric_limits<T>::max()) return false;
    *target = static_cast<T>(*number);
    return true;
}

bool SetIdent(Ident* target, std::string_view value, Style style) {
    Ident bytes{};
    if (style == Style::HexBytes) {
        if (value.size() != 2 * bytes.size()) return false;
        for (size_t i = 0; i < bytes.size(); ++i) {
            const std::string_view pair = value.substr(2 * i, 2);
            if (std::from_chars(pair.data(), pair.data() + 2, bytes[i], 16).ptr != pair.data() + 2) return false;
        }
    } else {
        if (value.size() > bytes.size()) return false;
        std::copy(value.begin(), value.end(), bytes.begin());
    }
    *target = bytes;
    return true;
}

struct Setter {
    std::string_view value;
    Style style;
    bool operator()(uint8_t* p) const { return SetUnsigned(p, value); }
    bool operator()(uint16_t* p) const { return SetUnsigned(p, value); }
    bool operator()(uint64_t* p) const { return SetUnsigned(p, value); }
    bool operator()(uint32_t* p) const {
        if (style != Style::Version) return SetUnsigned(p, value);
        const std::optional<uint32_t> version = ParseVersion(value);
        if (version) *p = *version;
        return version.has_value();
    }
    bool operator()(bool* p) const {
        const std::optional<bool> flag = ParseBool(value);
        if (flag) *p = *flag;
        return flag.has_value();
    }
    bool operator()(Ident* p) const { return SetIdent(p, value, style); }
    bool operator()(std::optional<uint16_t>* p) const {
        if (value == "none") {
            p->reset();
            return true;
        }
        uint16_t number = 0;
        if (!SetUnsigned(&number, value)) return false;
        *p = number;
        return true;
    }
    bool operator()(std::optional<LifePhase>* p) const {
        if (value == "none") {
            p->reset();
            return true;
        }
        const std::optional<LifePhase> phase = PhaseFromName(value);
        if (phase) *p = *phase;
        return phase.has_value();
    }
    bool operator()(std::vector<StageFault>* p) const {
        std::vector<StageFault> faults;
        if (value != "none") {
            for (std::string_view part : Split(value, ';')) {
                const std::optional<StageFault> fault = ParseStageFault(part);
                if (!fault) return false;
                faults.push_back(*fault);
            }
        }
        *p = std::move(faults);
        return true;
    }
};

struct Getter {
    Style style;
    std::string Number(uint64_t value) const { return style == Style::Hex ? FormatHex(value) : std::to_string(value); }
    std::string operator()(uint8_t* p) const { return Number(*p); }
    std::string operator()(uint16_t* p) const { return Number(*p); }
    std::string operator()(uint64_t* p) const { return Number(*p); }
    std::string operator()(uint32_t* p) const { return style == Style::Version ? FormatVersionValue(*p) : Number(*p); }
    std::string operator()(bool* p) const { return *p ? "1" : "0"; }
    std::string operator()(Ident* p) const {
        std::string text;
        for (uint8_t byte : *p) {
            if (style == Style::HexBytes) {
                char pair[3];
                std::snprintf(pair, sizeof pair, "%02x", byte);
                text += pair;
            } else if (byte == 0) {
                break;
            } else {
                text += static_cast<char>(byte);
            }
        }
        return text;
    }
    std::string operator()(std::optional<uint16_t>* p) const { return *p ? Number(**p) : "none"; }
    std::string operator()(std::optional<LifePhase>* p) const { return *p ? PhaseName(**p) : "none"; }
    std::string operator()(std::vector<StageFault>* p) const {
        std::string text;
        for (const StageFault& fault : *p) {
            text += (text.empty() ? "" : ";") + FormatStageFault(fault);
        }
        return text.empty() ? "none" : text;
    }
};

}  // namespace

std::span<const FieldHelp> ScenarioFields() {
    return kHelp;
}

std::optional<uint64_t> ParseNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string FormatHex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

std::string FormatVersionValue(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%02u", value >> 16, value & 0xFFFF);
    return text;
}

bool SetScenarioField(Scenario& scenario, std::string_view name, std::string_view value, std::string& error) {
    const Field* field = FindField(name);
    if (field == nullptr) {
        error = "unknown field '" + std::string(name) + "'";
        return false;
    }
    Scenario changed = scenario;
    if (!std::visit(Setter{value, field->style}, field->locate(changed))) {
        error = "bad value '" + std::string(value) + "' for " + std::string(name);
        return false;
    }
    scenario = std::move(changed);
    return true;
}

std::optional<std::string> GetScenarioField(const Scenario& scenario, std::string_view name) {
    const Field* field = FindField(name);
    if (field == nullptr) {
        return std::nullopt;
    }
    Scenario copy = scenario;  // the locators hand out writable pointers; reading goes through a copy
    return std::visit(Getter{field->style}, field->locate(copy));
}

}  // namespace emu
