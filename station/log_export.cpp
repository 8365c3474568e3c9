#include "log_export.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <functional>
#include <optional>

#include "utf8_text.h"

namespace q470 {
namespace {

using Field = std::optional<std::string>;

std::vector<Field> Fields(const LogRow& row) {
    const auto number = [](const std::optional<std::int64_t>& value) {
        return value ? Field(std::to_string(*value)) : std::nullopt;
    };
    return {std::to_string(row.id),
            row.startedAt,
            row.finishedAt,
            row.station,
            row.port,
            row.extendedAddress,
            row.model,
            row.firmware,
            row.profileName,
            row.profileSha256,
            row.result,
            row.failedStep,
            row.differences,
            number(row.durationMs),
            row.toolVersion,
            row.hook,
            row.note};
}

void CsvField(std::string& out, const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void CsvLine(std::string& out, const std::vector<Field>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += ',';
        if (fields[i]) CsvField(out, CleanUtf8(*fields[i], true));
    }
    out += "\r\n";
}

// The differences as the station writes them: an array of objects of texts. Anything else (a record
// edited by hand) is kept as text rather than written out as JSON of unknown depth.
bool FlatArray(const rapidjson::Document& parsed) {
    if (parsed.HasParseError() || !parsed.IsArray()) return false;
    for (const auto& item : parsed.GetArray()) {
        if (!item.IsObject()) return false;
        for (const auto& member : item.GetObject()) {
            if (!member.value.IsString()) return false;
        }
    }
    return true;
}

}  // namespace

const std::vector<const char*>& LogColumns() {
    static const std::vector<const char*> columns{
        "id",          "started_at",  "finished_at",  "station",        "port",   "extended_address",
        "model",       "firmware",    "profile_name", "profile_sha256", "result", "failed_step",
        "differences", "duration_ms", "tool_version", "hook",           "note"};
    return columns;
}

std::string LogCsv(const std::vector<LogRow>& rows) {
    std::string out;
    CsvLine(out, std::vector<Field>(LogColumns().begin(), LogColumns().end()));
    for (const auto& row : rows) CsvLine(out, Fields(row));
    return out;
}

std::string LogJsonArray(const std::vector<LogRow>& rows) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    const auto text = [&](const Field& field) {
        if (!field) {
            writer.Null();
            return;
        }
        const std::string clean = CleanUtf8(*field, false);
        writer.String(clean.c_str(), static_cast<rapidjson::SizeType>(clean.size()));
    };
    writer.StartArray();
    for (const auto& row : rows) {
        const std::vector<Field> fields = Fields(row);
        writer.StartObject();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const std::string key = LogColumns()[i];
            writer.Key(key.c_str());
            if (key == "id") {
                writer.Int64(row.id);
            } else if (key == "duration_ms" && row.durationMs) {
                writer.Int64(*row.durationMs);
            } else if (key == "differences" && row.differences) {
                // Stored as the JSON array it is; a value that is not one is kept as text.
                rapidjson::Document parsed;
                parsed.Parse<rapidjson::kParseIterativeFlag | rapidjson::kParseValidateEncodingFlag>(
                    row.differences->c_str());
                if (FlatArray(parsed)) {
                    parsed.Accept(writer);
                } else {
                    text(row.differences);
                }
            } else {
                text(fields[i]);
            }
        }
        writer.EndObject();
    }
    writer.EndArray();
    return std::string(buffer.GetString(), buffer.GetSize());
}

}  // namespace q470
