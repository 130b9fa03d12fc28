#include "emulator/emu_options.h"

#include <cstdio>
#include <limits>
#include <string_view>

#include "emulator/image_rules.h"
#include "emulator/placeholder_image.h"
#include "emulator/scenario_text.h"

namespace emu {

namespace {

bool ParsePort(std::string_view text, uint16_t& port) {
    const std::optional<uint64_t> number = ParseNumber(text);
    if (!number || *number > std::numeric_limits<uint16_t>::max()) {
        return false;
    }
    port = static_cast<uint16_t>(*number);
    return true;
}

std::string Code(uint16_t code) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", code);
    return text;
}

// One line per image the device takes, from its own image kinds.
std::string ImagesByBootLoader() {
    std::string text = "Images by UBootVersion (with strict-image):\n";
    for (const ImageKind& direct : ImageKinds()) {
        if (!direct.directPath) continue;
        uint16_t standard = 0;
        for (const ImageKind& kind : ImageKinds()) {
            if (!kind.directPath && kind.imageId == direct.imageId) standard = kind.code;
        }
        std::string line = "  " + (direct.ubootVersion ? std::to_string(*direct.ubootVersion) : std::string("others"));
        line.resize(10, ' ');
        text += line + "image " + std::to_string(direct.imageId) + ", " +
                std::to_string(PlaceholderSize(direct.imageId).value_or(0)) + " bytes, code " +
                Code(direct.code) + " on the direct path, " + Code(standard) + " on the standard path\n";
    }
    return text;
}

bool ParseServerOption(std::string_view name, std::string_view value, ServerOptions& server) {
    if (name == "port") {
        return ParsePort(value, server.devicePort);
    }
    if (name == "control-port") {
        uint16_t port = 0;
        if (!ParsePort(value, port)) return false;
        server.controlPort = port;
        return true;
    }
    if (name == "bridge-port") {
        uint16_t port = 0;
        if (!ParsePort(value, port)) return false;
        server.bridgePort = port;
        return true;
    }
    if (name == "idle-timeout-ms") {
        const std::optional<uint64_t> number = ParseNumber(value);
        if (!number || *number == 0) return false;
        server.idleTimeoutMs = *number;
        return true;
    }
    return false;
}

}  // namespace

bool ParseEmuOptions(int argc, const char* const* argv, EmuOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            continue;
        }
        if (argument == "--verbose" || argument == "-v") {
            options.server.verbose = true;
            continue;
        }
        if (argument.substr(0, 2) != "--") {
            error = "unexpected argument '" + std::string(argument) + "'";
            return false;
        }
        const std::string_view name = argument.substr(2);
        if (i + 1 >= argc) {
            error = "option --" + std::string(name) + " needs a value";
            return false;
        }
        const std::string_view value = argv[++i];
        if (name == "port" || name == "control-port" || name == "bridge-port" || name == "idle-timeout-ms") {
            if (!ParseServerOption(name, value, options.server)) {
                error = "bad value '" + std::string(value) + "' for --" + std::string(name);
                return false;
            }
        } else if (!SetScenarioField(options.scenario, name, value, error)) {
            return false;
        }
    }
    return true;
}

std::string EmuUsage() {
    std::string text =
        "usage: tessaline-emu [options]\n"
        "Serves an emulated Kavrel Tessaline scanner on 127.0.0.1 (raw request protocol over TCP).\n"
        "\n"
        "  --port N              device port (default 5566; 0 = any free port)\n"
        "  --control-port N      line-based control port (default: none; 0 = any free port)\n"
        "  --bridge-port N       port of the Wine rig's usbscan driver (default: none; 0 = any free port)\n"
        "  --idle-timeout-ms N   close a silent device connection after N ms (default 150000)\n"
        "  --verbose, -v         log every connection\n"
        "  --help, -h            this text\n"
        "\n"
        "Scenario (the same names work with the control port's get/set):\n";
    const Scenario defaults;
    for (const FieldHelp& field : ScenarioFields()) {
        std::string line = "  --" + std::string(field.name) + " V";
        line.resize(std::max<size_t>(line.size() + 1, 24), ' ');
        text += line + std::string(field.help) + " [" + GetScenarioField(defaults, field.name).value_or("") + "]\n";
    }
    text += "\n" + ImagesByBootLoader() +
            "\n"
            "Control commands: help, fields, get [NAME], set NAME VALUE, status, image, counts, unplug, plug,\n"
            "reset, quit. Replies are one line starting with ok or err.\n";
    return text;
}

}  // namespace emu
