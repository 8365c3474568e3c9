#include "discover_report.h"

#include <algorithm>
#include <iomanip>

#include "line_choices.h"
#include "model_kind.h"
#include "port_open_error.h"

namespace q470 {
namespace {

const char* OutcomeWords(DiscoveryOutcome outcome) {
    switch (outcome) {
        case DiscoveryOutcome::Found:
            return "found";
        case DiscoveryOutcome::NoDevice:
            return "no device";
        case DiscoveryOutcome::Busy:
            return "busy";
        case DiscoveryOutcome::CannotOpen:
            return "cannot open";
        case DiscoveryOutcome::Unidentified:
            return "unidentified";
        case DiscoveryOutcome::Stopped:
            return "stopped";
    }
    return "";
}

std::string ModelText(const PortDiscovery& result) {
    if (result.outcome == DiscoveryOutcome::Found) return ModelName(result.identity.modelKind);
    return result.identity.modelName;
}

struct Row {
    std::string port, outcome, line, model, firmware, address;
};

Row RowOf(const PortDiscovery& result) {
    const bool found = result.outcome == DiscoveryOutcome::Found;
    return Row{result.port,
               OutcomeWords(result.outcome),
               result.line ? LineText(*result.line) : "-",
               ModelText(result).empty() ? "-" : ModelText(result),
               found ? result.identity.firmware : "-",
               found ? FormatExtendedAddress(result.identity.extendedAddress) : "-"};
}

void WriteTable(const std::vector<PortDiscovery>& results, std::ostream& out) {
    std::vector<Row> rows{{"PORT", "RESULT", "LINE", "MODEL", "FIRMWARE", "EXTENDED ADDRESS"}};
    for (const auto& result : results) rows.push_back(RowOf(result));
    std::size_t widths[5] = {};
    for (const auto& row : rows) {
        const std::string* cells[5] = {&row.port, &row.outcome, &row.line, &row.model, &row.firmware};
        for (std::size_t i = 0; i < 5; ++i) widths[i] = std::max(widths[i], cells[i]->size());
    }
    for (const auto& row : rows) {
        out << std::left << std::setw(static_cast<int>(widths[0] + 2)) << row.port
            << std::setw(static_cast<int>(widths[1] + 2)) << row.outcome << std::setw(static_cast<int>(widths[2] + 2))
            << row.line << std::setw(static_cast<int>(widths[3] + 2)) << row.model
            << std::setw(static_cast<int>(widths[4] + 2)) << row.firmware << row.address << '\n';
    }
}

}  // namespace

void WriteDiscoveryJson(ReportJson& json, const PortDiscovery& result) {
    json.StartObject();
    WriteStringJson(json, "port", result.port);
    WriteStringJson(json, "outcome", DiscoveryOutcomeName(result.outcome));
    json.Key("found");
    json.Bool(result.outcome == DiscoveryOutcome::Found);
    if (result.line) {
        WriteLineJson(json, "line", *result.line);
    } else {
        json.Key("line");
        json.Null();
    }
    if (result.line) {
        WriteStringJson(json, "modelName", result.identity.modelName);
        json.Key("quietMode");
        json.Uint(result.identity.quietMode);
    }
    if (result.outcome == DiscoveryOutcome::Found) {
        WriteStringJson(json, "model", ModelName(result.identity.modelKind));
        json.Key("modelKind");
        json.Uint(result.identity.modelKind);
        WriteStringJson(json, "firmware", result.identity.firmware);
        WriteStringJson(json, "extendedAddress", FormatExtendedAddress(result.identity.extendedAddress));
    }
    if (result.openError) WriteStringJson(json, "error", result.openError.message());
    json.Key("settingsTried");
    json.Uint64(result.settingsTried);
    json.Key("elapsedMs");
    json.Int64(result.elapsed.count());
    json.EndObject();
}

void WriteDiscoveryReport(const std::vector<PortDiscovery>& results, bool json, int exitStatus, std::ostream& out) {
    if (!json) {
        WriteTable(results, out);
        out.flush();
        return;
    }
    rapidjson::StringBuffer buffer;
    ReportJson writer(buffer);
    writer.StartObject();
    WriteStringJson(writer, "command", "discover");
    writer.Key("ok");
    writer.Bool(exitStatus == 0);
    writer.Key("exitStatus");
    writer.Int(exitStatus);
    writer.Key("ports");
    writer.StartArray();
    for (const auto& result : results) WriteDiscoveryJson(writer, result);
    writer.EndArray();
    writer.EndObject();
    out << buffer.GetString() << '\n';
    out.flush();
}

std::string DiscoveryProblem(const PortDiscovery& result, const CliText& text) {
    switch (result.outcome) {
        case DiscoveryOutcome::Busy:
        case DiscoveryOutcome::CannotOpen:
            return PortOpenError(result.openError, text);
        case DiscoveryOutcome::NoDevice:
            return "no modem answered at any of the " + std::to_string(result.settingsTried) + " line settings tried";
        case DiscoveryOutcome::Unidentified:
            if (!result.identity.modelName.empty() && result.identity.modelKind == 0) {
                return "a device answers at " + LineText(*result.line) + ", but its model name '" +
                       result.identity.modelName + "' is none of Q470R, KELDAN-KS410, KELDAN-KS400";
            }
            return "a device answers at " + LineText(*result.line) + ", but stopped answering before it was identified";
        case DiscoveryOutcome::Found:
        case DiscoveryOutcome::Stopped:
            return {};
    }
    return {};
}

}  // namespace q470
