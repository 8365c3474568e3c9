#include "line_json.h"

#include "line_choices.h"
#include "setting_values.h"

namespace q470 {

void WriteLineJson(JsonOut& json, const ConnectionLine* line) {
    if (!line) return json.Null();
    json.StartObject();
    json.Key("baud").Int(line->baudRate);
    json.Key("parity").String(kLineParityValues.NameOf(line->parity));
    json.Key("stop-bits").Int(line->stopBits == 2 ? 2 : 1);
    json.Key("data-bits").Int(line->dataBits);
    json.Key("text").String(LineText(*line));
    json.EndObject();
}

}  // namespace q470
