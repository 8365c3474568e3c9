#include "report_writer.h"

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include "device_records.h"
#include "firmware_version.h"
#include "model_kind.h"
#include "narrow_text.h"
#include "setting_messages.h"
#include "settings_rules.h"
#include "value_names.h"
#include "verify_report.h"

namespace q470 {
namespace {

using JsonWriter = rapidjson::PrettyWriter<rapidjson::StringBuffer>;

void Key(JsonWriter& json, const char* name) {
    json.Key(name);
}

void String(JsonWriter& json, const char* name, const std::string& value) {
    json.Key(name);
    json.String(value.c_str(), static_cast<rapidjson::SizeType>(value.size()));
}

void Uint(JsonWriter& json, const char* name, std::uint64_t value) {
    json.Key(name);
    json.Uint64(value);
}

void WriteGeneralJson(JsonWriter& json, const GeneralSettings& general) {
    Key(json, "general");
    json.StartObject();
    Uint(json, "operationMode", general.opMode);
    Uint(json, "networkRole", general.netRole);
    Uint(json, "phyId", general.phyId);
    Uint(json, "rfChannel", general.rfChannel);
    Uint(json, "panId", general.panId);
    Uint(json, "userPanId", general.userPanId);
    Uint(json, "baudRate", general.baudRate);
    Uint(json, "parity", general.parity);
    Uint(json, "stopBits", general.stopBits);
    Uint(json, "dataBits", general.dataBits);
    Uint(json, "quietMode", general.quietMode);
    Uint(json, "rxPullUp", general.rxPullUp);
    json.EndObject();
}

void WriteGpioJson(JsonWriter& json, const GpioSettings& gpio) {
    Key(json, "gpio");
    json.StartObject();
    Key(json, "pins");
    json.StartArray();
    for (const auto& pin : gpio.pins) {
        json.StartObject();
        Uint(json, "pin", pin.pin);
        Uint(json, "ioMode", pin.ioMode);
        Uint(json, "config", pin.pinConfig);
        json.EndObject();
    }
    json.EndArray();
    json.Key("reportInterval");
    json.Int(gpio.reportInterval);
    Uint(json, "sendToPeer", gpio.sendToPeer);
    json.EndObject();
}

void Strings(JsonWriter& json, const char* name, const std::vector<std::string>& values) {
    json.Key(name);
    json.StartArray();
    for (const auto& value : values) json.String(value.c_str(), static_cast<rapidjson::SizeType>(value.size()));
    json.EndArray();
}

const char* KindName(ProblemKind kind) {
    switch (kind) {
        case ProblemKind::NotAllowed:
            return "notAllowed";
        case ProblemKind::UnknownMember:
            return "unknownMember";
        case ProblemKind::WrongType:
            return "wrongType";
        case ProblemKind::Incomplete:
            return "incomplete";
        case ProblemKind::Duplicate:
            return "duplicate";
        case ProblemKind::NotForModel:
            return "notForModel";
    }
    return "";
}

// Every problem the file check found: refusals ("refused": true) and the members left out.
void WriteProblemsJson(JsonWriter& json, const SettingProblems& problems, UiLanguage language) {
    json.Key("problems");
    json.StartArray();
    for (const auto& problem : problems) {
        json.StartObject();
        String(json, "kind", KindName(problem.kind));
        json.Key("refused");
        json.Bool(IsRefusal(problem.kind));
        String(json, "member", problem.member);
        String(json, "value", problem.value);
        if (IsRefusal(problem.kind)) String(json, "allowed", AllowedText(problem, language));
        String(json, "message", ProblemText(problem, language));
        json.EndObject();
    }
    json.EndArray();
}

void WriteTrailJson(JsonWriter& json, const ApplyTrail& trail, bool interrupted) {
    std::vector<std::string> acknowledged;
    for (const auto& step : trail.acknowledged) acknowledged.push_back(step.text);
    Strings(json, "acknowledged", acknowledged);
    json.Key(interrupted ? "interruptedStep" : "failedStep");
    if (trail.failed) {
        json.String(trail.failed->text.c_str(), static_cast<rapidjson::SizeType>(trail.failed->text.size()));
    } else {
        json.Null();
    }
}

bool WasInterrupted(const PortOutcome& outcome) {
    return outcome.status > ExitFileFailed;
}

void Line(std::ostream& out, const char* label, const std::string& value) {
    out << label << ": " << value << '\n';
}

void Setting(std::ostream& out, const char* key, const std::string& value) {
    out << "  " << key << '=' << value << '\n';
}

}  // namespace

void ReportWriter::Write(const std::vector<PortOutcome>& outcomes, std::ostream& out, std::ostream& err) const {
    if (request_.json) WriteJson(outcomes, out);
    const bool several = outcomes.size() > 1;
    for (const auto& outcome : outcomes) {
        const bool ok = outcome.status == ExitOk;
        // The lines an AT command brought are its result even when they end in ERROR.
        const bool hasText = ok || (request_.command == CliCommand::At && !outcome.lines.empty());
        if (!request_.json && hasText) {
            if (several) out << "[" << outcome.port << "]\n";
            WriteText(outcome, out);
        }
        for (const auto& warning : outcome.warnings) {
            err << "q470ctl: " << outcome.port << ": " << UiTextUtf8(UiText::WarningPrefix, text_.Language()) << warning
                << '\n';
        }
        if (ok) continue;
        err << "q470ctl: " << outcome.port << ": " << outcome.message << '\n';
        for (const auto& line : FailureDetails(outcome)) err << "q470ctl: " << outcome.port << ":   " << line << '\n';
    }
    out.flush();
}

void ReportWriter::WritePorts(const std::vector<std::string>& ports, bool json, std::ostream& out) {
    if (!json) {
        for (const auto& port : ports) out << port << '\n';
        return;
    }
    rapidjson::StringBuffer buffer;
    JsonWriter writer(buffer);
    writer.StartArray();
    for (const auto& port : ports) writer.String(port.c_str(), static_cast<rapidjson::SizeType>(port.size()));
    writer.EndArray();
    out << buffer.GetString() << '\n';
}

void ReportWriter::WriteFileRefusal(const std::string& message, const std::vector<std::string>& details,
                                    const SettingProblems& problems, std::ostream& out) const {
    rapidjson::StringBuffer buffer;
    JsonWriter json(buffer);
    json.StartObject();
    String(json, "command", request_.commandName);
    String(json, "file", request_.arguments.front());
    json.Key("ok");
    json.Bool(false);
    json.Key("exitStatus");
    json.Int(ExitFileFailed);
    String(json, "message", message);
    Strings(json, "details", details);
    WriteProblemsJson(json, problems, text_.Language());
    json.EndObject();
    out << buffer.GetString() << '\n';
}

std::vector<std::string> ReportWriter::FailureDetails(const PortOutcome& outcome) const {
    std::vector<std::string> lines = outcome.details;
    if (outcome.trail) {
        for (auto& line : TrailLines(*outcome.trail, WasInterrupted(outcome), text_.Language())) {
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

void ReportWriter::WriteJson(const std::vector<PortOutcome>& outcomes, std::ostream& out) const {
    rapidjson::StringBuffer buffer;
    JsonWriter json(buffer);
    const bool several = outcomes.size() > 1;
    if (several) json.StartArray();
    for (const auto& outcome : outcomes) {
        json.StartObject();
        String(json, "port", outcome.port);
        String(json, "command", request_.commandName);
        json.Key("ok");
        json.Bool(outcome.status == ExitOk);
        json.Key("exitStatus");
        json.Int(outcome.status);
        json.Key("result");
        if (outcome.result) {
            json.Int(*outcome.result);
        } else {
            json.Null();
        }
        String(json, "message", outcome.message);
        if (outcome.status != ExitOk) Strings(json, "details", FailureDetails(outcome));
        if (request_.command == CliCommand::Apply) {
            WriteProblemsJson(json, outcome.problems, text_.Language());
            Strings(json, "warnings", outcome.warnings);
        }
        if (outcome.trail) WriteTrailJson(json, *outcome.trail, WasInterrupted(outcome));
        if (outcome.verify) WriteVerifyJson(json, *outcome.verify);
        if (outcome.identified) {
            String(json, "model", ModelName(outcome.device.modelKind));
            Uint(json, "modelKind", outcome.device.modelKind);
            Uint(json, "quietMode", outcome.device.quietMode);
        }
        if (outcome.read && request_.command == CliCommand::Read) {
            String(json, "extendedAddress", FormatExtendedAddress(outcome.device.info.extendedAddress));
            String(json, "firmware", FirmwareText(outcome.device));
            String(json, "status", StatusText(outcome));
            WriteGeneralJson(json, outcome.general);
            if (outcome.device.modelKind == ModelQ470R) WriteGpioJson(json, outcome.gpio);
        }
        if (!outcome.file.empty()) String(json, "file", outcome.file);
        if (outcome.executedCommands) Uint(json, "executedCommands", *outcome.executedCommands);
        if (request_.command == CliCommand::Set) {
            json.Key("associationCleared");
            json.Bool(outcome.associationCleared);
        }
        if (outcome.restarted) {
            json.Key("restarted");
            json.Bool(true);
        }
        if (request_.command == CliCommand::At) {
            Key(json, "lines");
            json.StartArray();
            for (const auto& line : outcome.lines)
                json.String(line.c_str(), static_cast<rapidjson::SizeType>(line.size()));
            json.EndArray();
        }
        json.EndObject();
    }
    if (several) json.EndArray();
    out << buffer.GetString() << '\n';
}

void ReportWriter::WriteText(const PortOutcome& outcome, std::ostream& out) const {
    switch (request_.command) {
        case CliCommand::Identify:
            out << ModelName(outcome.device.modelKind)
                << (outcome.device.quietMode ? " (quiet mode: the device sends no OK/ERROR)" : " (quiet mode off)")
                << '\n';
            return;
        case CliCommand::Read:
            return WriteDevice(outcome, out);
        case CliCommand::At:
            for (const auto& line : outcome.lines) out << line << '\n';
            return;
        default:
            if (!outcome.message.empty()) out << outcome.message << '\n';
            return;
    }
}

void ReportWriter::WriteDevice(const PortOutcome& outcome, std::ostream& out) const {
    const DeviceState& device = outcome.device;
    Line(out, "Model", ModelName(device.modelKind));
    Line(out, UiTextUtf8(UiText::ExtendedAddressLabel, text_.Language()),
         FormatExtendedAddress(device.info.extendedAddress));
    Line(out, UiTextUtf8(UiText::FirmwareVersionLabel, text_.Language()), FirmwareText(device));
    Line(out, UiTextUtf8(UiText::StatusInfoLabel, text_.Language()), StatusText(outcome));
    Line(out, "PHY ID", std::to_string(outcome.general.phyId));
    WriteGeneral(outcome, out);
    if (device.modelKind == ModelQ470R) WriteGpio(outcome, out);
}

// In the words `set` takes, so that a line can be given back to it.
void ReportWriter::WriteGeneral(const PortOutcome& outcome, std::ostream& out) const {
    const GeneralSettings& general = outcome.general;
    const bool q470r = general.modelKind == ModelQ470R;
    out << "General settings:\n";
    Setting(out, "mode", kOperationModeNames.NameOf(general.opMode));
    if (q470r) {
        Setting(out, "role", kNetworkRoleNames.NameOf(general.netRole));
        Setting(out, "panid", std::to_string(general.panId));
        Setting(out, "outdoor", IsOutdoorPhyId(general.phyId) ? "1" : "0");
        Setting(out, "channel", std::to_string(general.rfChannel));
    } else {
        Setting(out, "upanid", std::to_string(general.userPanId));
    }
    Setting(out, "baud", std::to_string(general.baudRate));
    Setting(out, "parity", kDeviceParityNames.NameOf(general.parity));
    Setting(out, "stop-bits", kDeviceStopBitNames.NameOf(general.stopBits));
    Setting(out, "data-bits", std::to_string(general.dataBits));
    Setting(out, "quiet", std::to_string(general.quietMode));
    if (q470r && FirmwareHasRxPullUp(general.firmwareVersion))
        Setting(out, "rx-pullup", std::to_string(general.rxPullUp));
}

// In the words `gpio` takes.
void ReportWriter::WriteGpio(const PortOutcome& outcome, std::ostream& out) const {
    out << "GPIO settings:\n";
    for (const auto& pin : outcome.gpio.pins) {
        out << "  " << int{pin.pin} << '=' << kGpioModeNames.NameOf(pin.ioMode) << ':'
            << GpioValueNames(pin.pin, pin.ioMode).NameOf(pin.pinConfig) << '\n';
    }
    out << "  --interval " << outcome.gpio.reportInterval << '\n';
    out << "  --send-to-peer " << int{outcome.gpio.sendToPeer} << '\n';
}

std::string ReportWriter::StatusText(const PortOutcome& outcome) const {
    return DeviceStatusText(outcome.device, text_.SettingModeText());
}

}  // namespace q470
