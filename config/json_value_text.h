#pragma once

#include <string>
#include <string_view>

#include "config_document.h"

namespace q470 {

// UTF-8 from the reading document's UTF-16; a lone surrogate becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view text);

// How a value stands in the file, for a message: numbers, true, false and null as JSON writes them,
// a string quoted and cut after a few dozen characters, an object or array as {…} or […].
std::string JsonValueText(const ConfigValue& value);

}  // namespace q470
