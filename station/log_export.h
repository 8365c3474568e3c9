#pragma once

#include <string>
#include <vector>

#include "log_record.h"

namespace q470 {

// The record's columns in order, as the header of the CSV and the keys of the JSON objects.
const std::vector<const char*>& LogColumns();

// The rows as CSV (RFC 4180): a header line, one line per row, CR LF line ends, a field quoted when it
// holds a comma, a quote or a line end. Absent values are empty fields. Control characters and bytes
// that are not UTF-8 are written as \xNN, so the text is safe to show and to open in a spreadsheet.
std::string LogCsv(const std::vector<LogRow>& rows);

// The rows as one JSON array of objects keyed by column; absent values are null, `differences` is the
// array it holds. Bytes that are not UTF-8 are written as \xNN.
std::string LogJsonArray(const std::vector<LogRow>& rows);

}  // namespace q470
