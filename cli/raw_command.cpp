#include "raw_command.h"

#include "command_catalogue.h"

namespace q470 {

std::string CheckCommandText(std::string_view text, const CliText& language) {
    if (text.empty()) return language.Text(ToolText::CommandEmpty);
    if (text.size() > kMaxCommandLength)
        return language.Text(ToolText::CommandTooLong, {std::to_string(kMaxCommandLength)});
    for (const char c : text) {
        if (c < 0x20 || c > 0x7E) return language.Text(ToolText::CommandNotAscii);
    }
    return {};
}

}  // namespace q470
