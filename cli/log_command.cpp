#include "log_command.h"

#include <rapidjson/document.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

#include "default_log_path.h"
#include "json_out.h"
#include "json_report.h"
#include "log_export.h"
#include "log_time.h"
#include "open_station_log.h"
#include "report_writer.h"
#include "station_identity.h"
#include "text_width.h"

namespace q470 {
namespace {

int Fail(const CliRequest& request, const CliText& text, Outcome outcome, std::string message, std::ostream& out,
         std::ostream& err) {
    RunSummary run;
    run.outcome = outcome;
    run.exitStatus = OutcomeStatus(outcome);
    run.message = std::move(message);
    ReportWriter(request, text).WriteRunFailure(run, {}, out, err);
    return run.exitStatus;
}

// A cell as a terminal may show it: control characters and bytes that are not UTF-8 as \xNN.
std::string Cell(const std::optional<std::string>& value) {
    if (!value || value->empty()) return "-";
    std::string shown;
    for (const char c : *value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return ValidUtf8(shown);
}

constexpr std::size_t kColumns = 10;
using Row = std::array<std::string, kColumns>;

void WriteTable(const std::vector<LogRow>& rows, const CliText& text, std::ostream& out) {
    std::vector<Row> table{{text.Text(ToolText::LogHeadingStarted), text.Text(ToolText::LogHeadingStation),
                            text.Text(ToolText::DiscoverHeadingPort), text.Text(ToolText::DiscoverHeadingAddress),
                            text.Text(ToolText::DiscoverHeadingModel), text.Text(ToolText::DiscoverHeadingFirmware),
                            text.Text(ToolText::DiscoverHeadingResult), text.Text(ToolText::LogHeadingStep),
                            text.Text(ToolText::LogHeadingDuration), text.Text(ToolText::LogHeadingNote)}};
    for (const auto& row : rows) {
        table.push_back(Row{Cell(row.startedAt), Cell(row.station), Cell(row.port), Cell(row.extendedAddress),
                            Cell(row.model), Cell(row.firmware), Cell(row.result), Cell(row.failedStep),
                            row.durationMs ? std::to_string(*row.durationMs) : "-", Cell(row.note)});
    }
    std::array<std::size_t, kColumns> widths{};
    for (const auto& row : table) {
        for (std::size_t i = 0; i < kColumns; ++i) widths[i] = std::max(widths[i], DisplayWidth(row[i]));
    }
    for (const auto& row : table) {
        for (std::size_t i = 0; i + 1 < kColumns; ++i)
            out << row[i] << std::string(widths[i] + 2 - DisplayWidth(row[i]), ' ');
        out << row[kColumns - 1] << '\n';
    }
}

void WriteValue(JsonOut& json, const rapidjson::Value& value) {
    if (value.IsNull()) return json.Null();
    if (value.IsString()) return json.String(std::string_view(value.GetString(), value.GetStringLength()));
    if (value.IsInt64()) return json.Int(value.GetInt64());
    if (value.IsArray()) {
        json.StartArray();
        for (const auto& item : value.GetArray()) WriteValue(json, item);
        return json.EndArray();
    }
    if (value.IsObject()) {
        json.StartObject();
        for (const auto& member : value.GetObject()) {
            json.Key(member.name.GetString());
            WriteValue(json, member.value);
        }
        return json.EndObject();
    }
    json.Null();
}

// The tool's one document, as for every command, with the rows under "records".
std::string Document(const std::vector<LogRow>& rows) {
    rapidjson::Document records;
    records.Parse<rapidjson::kParseIterativeFlag>(LogJsonArray(rows).c_str());
    JsonOut json;
    json.StartObject();
    json.Key("schemaVersion").Int(JsonReport::kSchemaVersion);
    json.Key("command").String("log");
    json.Key("ok").Bool(true);
    json.Key("exitStatus").Int(ExitOk);
    json.Key("outcome").String(OutcomeWord(Outcome::Ok));
    json.Key("message").String("");
    json.Key("details").Strings({});
    json.Key("problems").StartArray();
    json.EndArray();
    json.Key("ports").StartArray();
    json.EndArray();
    json.Key("records");
    WriteValue(json, records);
    json.EndObject();
    return json.Text();
}

}  // namespace

int RunLogCommand(const CliRequest& request, const CliText& text, std::ostream& out, std::ostream& err) {
    RowQuery query;
    if (request.since) {
        query.since = ParseSince(*request.since, std::chrono::system_clock::now());
        if (!query.since)
            return Fail(request, text, Outcome::Usage, text.Text(ToolText::SinceNotATime, {*request.since}), out, err);
    }
    const std::string path = request.logFile ? *request.logFile : DefaultLogPath();
    if (path.empty()) return Fail(request, text, Outcome::Usage, text.Text(ToolText::NoLogFolder), out, err);
    // A database's connection string is shown without its password, wherever one was given.
    const std::string shown = MaskedTarget(path);
    // SQLite's own words for a file that is not there say less than the system's.
    std::error_code missing;
    if (!IsDatabaseTarget(path) && !std::filesystem::exists(path, missing)) {
        if (!missing) missing = std::make_error_code(std::errc::no_such_file_or_directory);
        return Fail(request, text, Outcome::FileUnreadable,
                    text.Text(ToolText::CannotReadLog, {shown, missing.message()}), out, err);
    }
    LogError error;
    const auto log = OpenStationLog(path, CurrentStation(HostName()), LogAccess::ReadOnly, error);
    std::optional<std::vector<LogRow>> rows;
    if (log) rows = log->Rows(query, error);
    if (!rows) {
        switch (error.kind) {
            case LogError::Kind::NotARecord:
                return Fail(request, text, Outcome::FileInvalid, text.Text(ToolText::NotALog, {shown}), out, err);
            case LogError::Kind::PasswordGiven:
                return Fail(request, text, Outcome::Usage, text.Text(ToolText::LogHoldsPassword, {shown}), out, err);
            case LogError::Kind::Unsupported:
                return Fail(request, text, Outcome::Usage, text.Text(ToolText::LogNoDatabase, {shown}), out, err);
            default:
                break;
        }
        return Fail(request, text, Outcome::FileUnreadable, text.Text(ToolText::CannotReadLog, {shown, error.detail}),
                    out, err);
    }
    if (request.csv) {
        out << LogCsv(*rows);
    } else if (request.json) {
        out << Document(*rows);
    } else {
        WriteTable(*rows, text, out);
    }
    out.flush();
    return ExitOk;
}

}  // namespace q470
