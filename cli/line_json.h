#pragma once

#include "device_records.h"
#include "json_out.h"

namespace q470 {

// A line setting as a JSON object in the words `set` takes: {"baud", "parity" ("none", "odd",
// "even"), "stop-bits" (1 or 2), "data-bits", "text" ("115200 8N1")}; null when there is none.
void WriteLineJson(JsonOut& json, const ConnectionLine* line);

}  // namespace q470
