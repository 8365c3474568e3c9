#include "report_writer.h"

#include <algorithm>

#include "config_output.h"
#include "device_records.h"
#include "device_state.h"
#include "model_kind.h"
#include "port_description.h"
#include "setting_words.h"
#include "terminal_text.h"

namespace q470 {
namespace {

constexpr const char* kPrefix = "q470ctl: ";

void Line(std::ostream& out, const std::string& label, const std::string& value) {
    out << label << ": " << value << '\n';
}

}  // namespace

void ReportWriter::Write(const RunSummary& run, const std::vector<PortOutcome>& outcomes, std::ostream& out,
                         std::ostream& err) const {
    if (request_.json) out << JsonReport(request_, text_).Document(run, outcomes);
    const bool several = outcomes.size() > 1;
    const std::string warning = text_.Catalog().Text(UiText::WarningPrefix);
    for (const auto& outcome : outcomes) {
        const bool ok = outcome.status == ExitOk;
        const std::string port = PrintableText(outcome.port);
        // The lines an AT command brought are its result even when they end in ERROR.
        const bool hasText = ok || (request_.command == CliCommand::At && !outcome.lines.empty());
        if (!request_.json && hasText) {
            if (several && request_.command != CliCommand::Ports) out << "[" << port << "]\n";
            WriteText(outcome, out);
        }
        for (const auto& line : outcome.warnings)
            err << kPrefix << port << ": " << warning << PrintableText(line) << '\n';
        if (ok && MessageGoesToErrors() && !outcome.message.empty()) {
            err << kPrefix << port << ": " << TerminalText(outcome.message) << '\n';
        }
        if (ok) continue;
        err << kPrefix << port << ": " << TerminalText(outcome.message) << '\n';
        for (const auto& line : FailureDetails(outcome, text_.Catalog()))
            err << kPrefix << port << ":   " << PrintableText(line) << '\n';
    }
    // A stop that came once every port was done still ends the run as interrupted: say so.
    const bool portSaidIt = std::any_of(outcomes.begin(), outcomes.end(), [](const PortOutcome& outcome) {
        return outcome.outcome == Outcome::Interrupted;
    });
    if (run.outcome == Outcome::Interrupted && !portSaidIt) err << kPrefix << text_.Text(ToolText::Interrupted) << '\n';
    if (!run.traceProblem.empty()) err << kPrefix << warning << PrintableText(run.traceProblem) << '\n';
    out.flush();
}

void ReportWriter::WriteRunFailure(const RunSummary& run, const std::string& subject, std::ostream& out,
                                   std::ostream& err) const {
    const std::string prefix = std::string(kPrefix) + (subject.empty() ? "" : PrintableText(subject) + ": ");
    err << prefix << TerminalText(run.message) << '\n';
    for (const auto& line : run.details) err << prefix << "  " << PrintableText(line) << '\n';
    if (run.outcome == Outcome::Usage) err << text_.Text(ToolText::TryHelp) << '\n';
    if (request_.json) out << JsonReport(request_, text_).Document(run, {});
    out.flush();
}

// A file saved to standard output has that stream to itself.
bool ReportWriter::MessageGoesToErrors() const {
    return request_.command == CliCommand::Save && IsStandardOutput(request_.arguments.front());
}

void ReportWriter::WriteText(const PortOutcome& outcome, std::ostream& out) const {
    switch (request_.command) {
        case CliCommand::Ports: {
            const std::string description = outcome.description ? DescriptionText(*outcome.description) : "";
            out << PrintableText(outcome.port) << (description.empty() ? "" : "  " + PrintableText(description))
                << '\n';
            return;
        }
        case CliCommand::Identify:
            out << text_.Text(outcome.device.quietMode ? ToolText::IdentifyQuietOn : ToolText::IdentifyQuietOff,
                              {ModelName(outcome.device.modelKind)})
                << '\n';
            return;
        case CliCommand::Read:
            return WriteDevice(outcome, out);
        case CliCommand::At:
            for (const auto& line : outcome.lines) out << line << '\n';
            return;
        default:
            if (!outcome.message.empty() && !MessageGoesToErrors()) out << TerminalText(outcome.message) << '\n';
            return;
    }
}

void ReportWriter::WriteDevice(const PortOutcome& outcome, std::ostream& out) const {
    const DeviceState& device = outcome.device;
    Line(out, text_.Text(ToolText::ModelLabel), ModelName(device.modelKind));
    Line(out, text_.Text(UiText::ExtendedAddressLabel), FormatExtendedAddress(device.info.extendedAddress));
    // What the device says of itself is shown as it said it, with nothing that can steer the terminal.
    Line(out, text_.Text(UiText::FirmwareVersionLabel), PrintableText(FirmwareText(device)));
    Line(out, text_.Text(UiText::StatusInfoLabel), PrintableText(DeviceStatusText(device, text_.SettingModeText())));
    Line(out, text_.Text(UiText::SettingPhyId), std::to_string(outcome.general.phyId));
    WriteGeneral(outcome, out);
    if (device.modelKind == ModelQ470R) WriteGpio(outcome, out);
}

// In the words `set` takes, so that a line can be given back to it.
void ReportWriter::WriteGeneral(const PortOutcome& outcome, std::ostream& out) const {
    out << text_.Text(ToolText::GeneralSettingsHeading) << '\n';
    for (const auto& word : GeneralSettingWords(outcome.general)) out << "  " << word.key << '=' << word.word << '\n';
}

// In the words `gpio` takes.
void ReportWriter::WriteGpio(const PortOutcome& outcome, std::ostream& out) const {
    out << text_.Text(ToolText::GpioSettingsHeading) << '\n';
    for (const auto& pin : GpioPinWords(outcome.gpio))
        out << "  " << pin.pin << '=' << pin.mode << ':' << pin.value << '\n';
    out << "  --interval " << outcome.gpio.reportInterval << '\n';
    out << "  --send-to-peer " << int{outcome.gpio.sendToPeer} << '\n';
}

}  // namespace q470
