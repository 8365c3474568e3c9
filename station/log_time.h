#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "log_record.h"

namespace q470 {

// "2024-05-01T08:00:00.123Z": UTC with milliseconds, as the record keeps its times (they sort as text).
std::string FormatUtc(SystemTime time);

// A time a person gives for "since", in the record's form; nothing when `text` is none of:
//   2024-05-01                      midnight UTC of that day
//   2024-05-01T08:00, 2024-05-01 08:00:00.5, 2024-05-01T08:00:00Z, ...+02:00
//                                   UTC unless an offset is given, as the record shows its times
//   90s, 30m, 8h, 7d                that long before `now`
std::optional<std::string> ParseSince(std::string_view text, SystemTime now);

}  // namespace q470
