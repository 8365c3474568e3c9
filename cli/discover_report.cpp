#include "discover_report.h"

#include <algorithm>
#include <array>

#include "exit_status.h"
#include "line_choices.h"
#include "line_json.h"
#include "model_kind.h"
#include "port_open_error.h"
#include "terminal_text.h"
#include "text_width.h"

namespace q470 {
namespace {

ToolText ResultText(DiscoveryOutcome outcome) {
    switch (outcome) {
        case DiscoveryOutcome::Found:
            return ToolText::DiscoverFound;
        case DiscoveryOutcome::NoDevice:
            return ToolText::DiscoverNothing;
        case DiscoveryOutcome::Busy:
            return ToolText::DiscoverBusy;
        case DiscoveryOutcome::CannotOpen:
            return ToolText::DiscoverCannotOpen;
        case DiscoveryOutcome::Unidentified:
            return ToolText::DiscoverUnidentified;
        case DiscoveryOutcome::Stopped:
            break;
    }
    return ToolText::DiscoverStopped;
}

bool NamedUnknownModel(const PortDiscovery& result) {
    return !result.identity.modelName.empty() && result.identity.modelKind == 0;
}

Outcome OutcomeOf(const PortDiscovery& result) {
    switch (result.outcome) {
        case DiscoveryOutcome::Found:
            return Outcome::Ok;
        case DiscoveryOutcome::Busy:
        case DiscoveryOutcome::CannotOpen:
            return PortOpenOutcome(result.openError);
        case DiscoveryOutcome::Unidentified:
            return NamedUnknownModel(result) ? Outcome::UnknownModel : Outcome::NoAnswer;
        case DiscoveryOutcome::Stopped:
            return Outcome::Interrupted;
        case DiscoveryOutcome::NoDevice:
            break;
    }
    return Outcome::NoAnswer;
}

std::string Problem(const PortDiscovery& result, const CliText& text) {
    const std::string line = result.line ? LineText(*result.line) : std::string();
    switch (result.outcome) {
        case DiscoveryOutcome::Busy:
        case DiscoveryOutcome::CannotOpen:
            return PortOpenError(result.openError, text);
        case DiscoveryOutcome::NoDevice: {
            std::string problem = text.Text(ToolText::DiscoverNoDevice, {std::to_string(result.settingsTried)});
            if (!result.linesSkipped.empty())
                problem +=
                    " " + text.Text(ToolText::DiscoverLinesSkipped, {std::to_string(result.linesSkipped.size())});
            return problem;
        }
        case DiscoveryOutcome::Unidentified:
            if (NamedUnknownModel(result))
                return text.Text(ToolText::DiscoverUnknownModel, {line, PrintableText(result.identity.modelName)});
            return text.Text(ToolText::DiscoverStoppedAnswering, {line});
        case DiscoveryOutcome::Stopped:
            return text.Text(ToolText::Interrupted);
        case DiscoveryOutcome::Found:
            break;
    }
    return {};
}

constexpr std::size_t kColumns = 6;
using Row = std::array<std::string, kColumns>;

Row RowOf(const PortOutcome& record, const CliText& text) {
    const PortDiscovery& result = *record.discovery;
    const bool found = result.outcome == DiscoveryOutcome::Found;
    const std::string model = found ? ModelName(result.identity.modelKind) : result.identity.modelName;
    // The port's name and what the device says of itself, shown with nothing that can steer the terminal.
    return Row{PrintableText(record.port),
               text.Text(ResultText(result.outcome)),
               result.line ? LineText(*result.line) : "-",
               model.empty() ? "-" : PrintableText(model),
               found ? PrintableText(result.identity.firmware) : "-",
               found ? FormatExtendedAddress(result.identity.extendedAddress) : "-"};
}

}  // namespace

PortOutcome DiscoveryRecord(const PortDiscovery& result, bool portGiven, const CliText& text) {
    PortOutcome record;
    record.port = result.port;
    record.outcome = OutcomeOf(result);
    // Without -p a listed port with nothing behind it is no failure of the search.
    if (!portGiven && result.outcome == DiscoveryOutcome::NoDevice) record.outcome = Outcome::Ok;
    record.status = OutcomeStatus(record.outcome);
    record.message = Problem(result, text);
    if (result.outcome == DiscoveryOutcome::Found) {
        record.identified = true;
        record.device.modelKind = result.identity.modelKind;
        record.device.quietMode = result.identity.quietMode;
    }
    record.discovery = result;
    return record;
}

void WriteDiscoveryJson(JsonOut& json, const PortDiscovery& result) {
    json.StartObject();
    json.Key("line");
    WriteLineJson(json, result.line ? &*result.line : nullptr);
    json.Key("modelName");
    if (result.line && !result.identity.modelName.empty()) {
        json.String(result.identity.modelName);
    } else {
        json.Null();
    }
    json.Key("settingsTried").Int(static_cast<std::int64_t>(result.settingsTried));
    json.Key("linesSkipped").StartArray();
    for (const auto& line : result.linesSkipped) WriteLineJson(json, &line);
    json.EndArray();
    json.Key("elapsedMs").Int(result.elapsed.count());
    json.EndObject();
}

void WriteDiscoveryTable(const std::vector<PortOutcome>& records, const CliText& text, std::ostream& out) {
    std::vector<Row> rows{{text.Text(ToolText::DiscoverHeadingPort), text.Text(ToolText::DiscoverHeadingResult),
                           text.Text(ToolText::DiscoverHeadingLine), text.Text(ToolText::DiscoverHeadingModel),
                           text.Text(ToolText::DiscoverHeadingFirmware), text.Text(ToolText::DiscoverHeadingAddress)}};
    for (const auto& record : records) {
        if (record.discovery) rows.push_back(RowOf(record, text));
    }
    std::array<std::size_t, kColumns> widths{};
    for (const auto& row : rows) {
        for (std::size_t i = 0; i < kColumns; ++i) widths[i] = std::max(widths[i], DisplayWidth(row[i]));
    }
    for (const auto& row : rows) {
        for (std::size_t i = 0; i + 1 < kColumns; ++i)
            out << row[i] << std::string(widths[i] + 2 - DisplayWidth(row[i]), ' ');
        out << row[kColumns - 1] << '\n';
    }
}

}  // namespace q470
