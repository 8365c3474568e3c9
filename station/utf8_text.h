#pragma once

#include <string>

namespace q470 {

// `text` as valid UTF-8: each byte that does not belong to a UTF-8 character becomes the four characters
// \xNN; with `escapeControls` so does each control character (below 0x20, and 0x7F). Texts from units
// and file names are bytes, and any of them may reach an export.
std::string CleanUtf8(const std::string& text, bool escapeControls);

}  // namespace q470
