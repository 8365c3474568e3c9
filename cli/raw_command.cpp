#include "raw_command.h"

#include "command_catalogue.h"

namespace q470 {
namespace {

// What the catalogue has no row for is left to whatever OK or ERROR ends.
constexpr CommandId kOkOrError = CmdReserved6;

// "AT+UART=" from "AT+UART=%u,%u,%u,%u\r": what every command of a row with parameters starts with.
std::string_view Keyword(std::string_view format) {
    const auto equals = format.find('=');
    return equals == std::string_view::npos ? std::string_view() : format.substr(0, equals + 1);
}

bool Matches(const CommandEntry& entry, std::string_view text) {
    if (entry.text == nullptr) return false;
    const std::string_view command(entry.text);
    if (entry.form == CommandForm::Fixed) return command.substr(0, command.size() - 1) == text;
    const std::string_view keyword = Keyword(command);
    return !keyword.empty() && text.size() > keyword.size() && text.substr(0, keyword.size()) == keyword;
}

}  // namespace

CommandId CommandIdForText(std::string_view text) {
    for (const CommandEntry& entry : kCommandCatalogue) {
        if (Matches(entry, text)) return entry.id;
    }
    return kOkOrError;
}

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
