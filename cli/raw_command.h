#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "cli_text.h"
#include "command_catalogue.h"
#include "command_id.h"

namespace q470 {

// The longest command text the tool sends, without its CR: longer than any the device takes.
constexpr std::size_t kMaxCommandLength = 250;

// A command text the tool sends as it is: printable ASCII without line ends, at most kMaxCommandLength
// characters.
// "" when it is fine, otherwise what is wrong.
std::string CheckCommandText(std::string_view text, const CliText& language = CliText(UiLanguage::English));

}  // namespace q470
