#include "line_json.h"

#include "line_choices.h"
#include "value_names.h"

namespace q470 {

void WriteStringJson(ReportJson& json, const char* key, const std::string& value) {
    json.Key(key);
    json.String(value.c_str(), static_cast<rapidjson::SizeType>(value.size()));
}

void WriteLineJson(ReportJson& json, const char* key, const ConnectionLine& line) {
    json.Key(key);
    json.StartObject();
    json.Key("baudRate");
    json.Uint(line.baudRate);
    json.Key("dataBits");
    json.Uint(line.dataBits);
    WriteStringJson(json, "parity", kLineParityNames.NameOf(line.parity));
    json.Key("stopBits");
    json.Uint(line.stopBits == 2 ? 2 : 1);
    WriteStringJson(json, "text", LineText(line));
    json.EndObject();
}

}  // namespace q470
