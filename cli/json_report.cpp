#include "json_report.h"

#include "device_records.h"
#include "device_state.h"
#include "discover_report.h"
#include "json_out.h"
#include "model_kind.h"
#include "port_list_report.h"
#include "setting_messages.h"
#include "setting_words.h"
#include "verify_report.h"

namespace q470 {
namespace {

void OptionalString(JsonOut& json, const char* key, bool present, const std::string& value) {
    json.Key(key);
    if (present) {
        json.String(value);
    } else {
        json.Null();
    }
}

void WriteSettings(JsonOut& json, bool present, const GeneralSettings& general) {
    json.Key("settings");
    if (!present) return json.Null();
    json.StartObject();
    for (const auto& word : GeneralSettingWords(general)) {
        json.Key(word.key);
        switch (word.kind) {
            case SettingWord::Kind::Word:
                json.String(word.word);
                break;
            case SettingWord::Kind::Number:
                json.Int(static_cast<std::int64_t>(word.number));
                break;
            case SettingWord::Kind::Switch:
                json.Bool(word.on);
                break;
        }
    }
    json.EndObject();
}

void WriteGpio(JsonOut& json, bool present, const GpioSettings& gpio) {
    json.Key("gpio");
    if (!present) return json.Null();
    json.StartObject();
    json.Key("pins").StartArray();
    for (const auto& pin : GpioPinWords(gpio)) {
        json.StartObject();
        json.Key("pin").Int(pin.pin);
        json.Key("mode").String(pin.mode);
        json.Key("value").String(pin.value);
        json.EndObject();
    }
    json.EndArray();
    json.Key("interval").Int(gpio.reportInterval);
    json.Key("send-to-peer").Bool(gpio.sendToPeer != 0);
    json.EndObject();
}

// Only what --verify asked for: null without it or before the check ran.
void WriteVerify(JsonOut& json, const PortOutcome& port) {
    json.Key("verify");
    if (!port.verify) return json.Null();
    WriteVerifyJson(json, *port.verify);
}

bool WasInterrupted(const PortOutcome& port) {
    return port.outcome == Outcome::Interrupted;
}

}  // namespace

std::vector<std::string> FailureDetails(const PortOutcome& port, const TextCatalog& texts) {
    std::vector<std::string> lines = port.details;
    if (port.trail) {
        for (auto& line : TrailLines(*port.trail, WasInterrupted(port), texts)) lines.push_back(std::move(line));
    }
    // The file items a failed apply never reached; what the check left out is a warning already.
    for (const auto& item : port.unsent) {
        if (item.reason == kNotReachedReason) lines.push_back(item.message);
    }
    return lines;
}

std::string JsonReport::Document(const RunSummary& run, const std::vector<PortOutcome>& ports) const {
    JsonOut json;
    json.StartObject();
    json.Key("schemaVersion").Int(kSchemaVersion);
    OptionalString(json, "command", !request_.commandName.empty(), request_.commandName);
    json.Key("ok").Bool(run.exitStatus == ExitOk);
    json.Key("exitStatus").Int(run.exitStatus);
    json.Key("outcome").String(OutcomeWord(run.outcome));
    json.Key("message").String(run.message);
    json.Key("details").Strings(run.details);
    WriteProblems(json, run.problems, run.traceProblem);
    json.Key("ports").StartArray();
    for (const auto& port : ports) WritePort(json, port);
    json.EndArray();
    json.EndObject();
    return json.Text();
}

void JsonReport::WritePort(JsonOut& json, const PortOutcome& port) const {
    const bool ok = port.status == ExitOk;
    json.StartObject();
    json.Key("port").String(port.port);
    json.Key("ok").Bool(ok);
    json.Key("exitStatus").Int(port.status);
    json.Key("outcome").String(OutcomeWord(port.outcome));
    json.Key("message").String(port.message);
    json.Key("details").Strings(ok ? std::vector<std::string>{} : FailureDetails(port, text_.Catalog()));
    json.Key("jobResult");
    if (port.jobResult) {
        json.Int(*port.jobResult);
    } else {
        json.Null();
    }
    if (request_.command != CliCommand::Ports) WriteDevice(json, port);
    WriteCommandFields(json, port);
    json.EndObject();
}

void JsonReport::WriteCommandFields(JsonOut& json, const PortOutcome& port) const {
    const bool q470r = port.device.modelKind == ModelQ470R;
    switch (request_.command) {
        case CliCommand::Read:
            WriteSettings(json, port.read, port.general);
            WriteGpio(json, port.read && q470r, port.gpio);
            json.Key("warnings").Strings(port.warnings);
            return;
        case CliCommand::Save:
            OptionalString(json, "file", !port.file.empty(), port.file);
            WriteSettings(json, port.read, port.general);
            WriteGpio(json, port.read && q470r, port.gpio);
            json.Key("warnings").Strings(port.warnings);
            return;
        case CliCommand::Apply: {
            json.Key("file").String(request_.arguments.front());
            WriteProblems(json, port.problems);
            json.Key("warnings").Strings(port.warnings);
            json.Key("notSent").StartArray();
            for (const auto& item : port.unsent) {
                json.StartObject();
                json.Key("member").String(item.member);
                json.Key("reason").String(item.reason);
                json.Key("message").String(item.message);
                json.EndObject();
            }
            json.EndArray();
            WriteWrite(json, port);
            json.Key("restarted").Bool(port.restarted);
            OptionalString(json, "cameBackAs", !port.cameBackAs.empty(), port.cameBackAs);
            WriteVerify(json, port);
            return;
        }
        case CliCommand::Set:
            WriteSettings(json, port.generalWritten, port.general);
            WriteWrite(json, port);
            json.Key("associationCleared").Bool(port.associationCleared);
            json.Key("restarted").Bool(port.restarted);
            OptionalString(json, "cameBackAs", !port.cameBackAs.empty(), port.cameBackAs);
            WriteVerify(json, port);
            return;
        case CliCommand::Gpio:
            WriteGpio(json, port.gpioWritten, port.gpio);
            WriteWrite(json, port);
            json.Key("restarted").Bool(port.restarted);
            OptionalString(json, "cameBackAs", !port.cameBackAs.empty(), port.cameBackAs);
            WriteVerify(json, port);
            return;
        case CliCommand::Restart:
        case CliCommand::FactoryReset:
            json.Key("restarted").Bool(port.restarted);
            OptionalString(json, "cameBackAs", !port.cameBackAs.empty(), port.cameBackAs);
            return;
        case CliCommand::At:
            json.Key("command").String(request_.arguments.front());
            json.Key("lines").Strings(port.lines);
            OptionalString(json, "final", port.finalLine.has_value(), port.finalLine.value_or(""));
            return;
        case CliCommand::Ports:
            WritePortsRecordJson(json, port.description, port.modemManagerRunning);
            return;
        case CliCommand::Discover:
            json.Key("discovery");
            if (port.discovery) {
                WriteDiscoveryJson(json, *port.discovery);
            } else {
                json.Null();
            }
            return;
        case CliCommand::Identify:
        case CliCommand::Console:
        case CliCommand::Log:
        case CliCommand::Station:
            return;
    }
}

// The device as far as the run got to know it: null before it identified.
void JsonReport::WriteDevice(JsonOut& json, const PortOutcome& port) const {
    json.Key("device");
    if (!port.identified) return json.Null();
    const DeviceState& device = port.device;
    json.StartObject();
    json.Key("model").String(ModelName(device.modelKind));
    json.Key("quiet").Bool(device.quietMode != 0);
    if (port.discovery) {
        // The search reads the identity only.
        const DeviceIdentity& identity = port.discovery->identity;
        json.Key("extendedAddress").String(FormatExtendedAddress(identity.extendedAddress));
        json.Key("firmware").String(identity.firmware);
        json.Key("status").Null();
        json.Key("phyId").Null();
        return json.EndObject();
    }
    OptionalString(json, "extendedAddress", port.read, FormatExtendedAddress(device.info.extendedAddress));
    OptionalString(json, "firmware", port.read, FirmwareText(device));
    OptionalString(json, "status", port.read, DeviceStatusText(device, text_.SettingModeText()));
    json.Key("phyId");
    if (port.read) {
        json.Int(port.general.phyId);
    } else {
        json.Null();
    }
    json.EndObject();
}

// What a write job (apply, set, gpio) sent and what the device acknowledged.
void JsonReport::WriteWrite(JsonOut& json, const PortOutcome& port) const {
    json.Key("sent").Strings(port.sent);
    json.Key("commandsSent").Int(static_cast<std::int64_t>(port.sent.size()));
    std::vector<std::string> acknowledged;
    if (port.trail) {
        for (const auto& step : port.trail->acknowledged) acknowledged.push_back(step.text);
    }
    json.Key("acknowledged").Strings(acknowledged);
    const bool failed = port.trail && port.trail->failed;
    const std::string step = failed ? port.trail->failed->text : std::string();
    OptionalString(json, "failedStep", failed && !WasInterrupted(port), step);
    OptionalString(json, "interruptedStep", failed && WasInterrupted(port), step);
}

// Every problem the file check found: refusals ("refused": true) and the members left out; and a trace
// that could not be written, which changes nothing about the device.
void JsonReport::WriteProblems(JsonOut& json, const SettingProblems& problems, const std::string& traceProblem) const {
    json.Key("problems").StartArray();
    for (const auto& problem : problems) {
        json.StartObject();
        json.Key("kind").String(ProblemKindWord(problem.kind));
        json.Key("refused").Bool(IsRefusal(problem.kind));
        json.Key("member").String(problem.member);
        json.Key("value").String(problem.value);
        OptionalString(json, "allowed", IsRefusal(problem.kind), AllowedText(problem, text_.Catalog()));
        json.Key("message").String(ProblemText(problem, text_.Catalog()));
        json.EndObject();
    }
    if (!traceProblem.empty()) {
        json.StartObject();
        json.Key("kind").String("traceNotWritten");
        json.Key("refused").Bool(false);
        json.Key("member").String("");
        json.Key("value").String("");
        json.Key("allowed").Null();
        json.Key("message").String(traceProblem);
        json.EndObject();
    }
    json.EndArray();
}

}  // namespace q470
