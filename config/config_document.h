#pragma once

#include <rapidjson/document.h>

namespace q470 {

// A configuration file parsed for reading holds its strings as UTF-16 whatever the file's encoding.
// char16_t rather than wchar_t, which is four bytes wide outside Windows.
using ConfigDocument = rapidjson::GenericDocument<rapidjson::UTF16<char16_t>>;
using ConfigValue = ConfigDocument::ValueType;

// Strict JSON as the default flags define it, parsed without recursion: a file of deeply nested
// brackets must end in a parse error, not in a stack overflow. The iterative parser accepts and
// rejects exactly what the recursive one does.
inline constexpr unsigned kConfigParseFlags = rapidjson::kParseIterativeFlag;

}  // namespace q470
