#pragma once

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include "device_records.h"

namespace q470 {

using ReportJson = rapidjson::PrettyWriter<rapidjson::StringBuffer>;

// A line setting as a JSON object under `key`: {"baudRate", "dataBits", "parity" ("none", "odd",
// "even"), "stopBits" (1 or 2), "text" ("115200 8N1")}.
void WriteLineJson(ReportJson& json, const char* key, const ConnectionLine& line);

void WriteStringJson(ReportJson& json, const char* key, const std::string& value);

}  // namespace q470
