#pragma once

#include <string>

#include "config_document.h"

namespace q470 {

// Reads the configuration file at `path` into `document`: strict JSON with exactly one root value, in
// UTF-8, UTF-16 or UTF-32 of either byte order, with or without a byte-order mark. Returns 0, the parser's
// error code (a positive rapidjson::ParseErrorCode), or the negated system error number when the file
// cannot be opened or read. On failure `document` keeps what it held.
int LoadConfigDocument(const std::u16string& path, ConfigDocument& document);

}  // namespace q470
