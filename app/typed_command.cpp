#include "typed_command.h"

#include "command_catalogue.h"

namespace q470 {
namespace {

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

CommandId TypedCommandId(std::string_view text) {
    for (const CommandEntry& entry : kCommandCatalogue) {
        if (Matches(entry, text)) return entry.id;
    }
    return kOkOrError;
}

bool IsSendableCommand(const QString& text) {
    if (text.isEmpty() || text.size() > kMaxTypedCommandLength) return false;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E) return false;
    }
    return true;
}

}  // namespace q470
