#include "raw_command.h"

#include "command_catalogue.h"

namespace q470 {
namespace {

constexpr CommandId kFirstId = CmdAt;
constexpr CommandId kLastId = CmdRxPullUpSet;
constexpr CommandId kOkOrError = CmdReserved6;
constexpr std::size_t kMaxCommandLength = 250;

// "AT+UART=" from "AT+UART=0,0,0,0\r": what every command of this identifier starts with.
std::string_view Keyword(std::string_view formatted) {
    const auto equals = formatted.find('=');
    return equals == std::string_view::npos ? std::string_view() : formatted.substr(0, equals + 1);
}

std::string SetCommandSample(CommandId id) {
    switch (id) {
        case CmdUartSet:
            return FormatUartSet(0, 0, 0, 0);
        case CmdGpioConfigSet:
            return FormatGpioConfigSet(0, 0, 0);
        case CmdGpioPeriodicSet:
            return FormatGpioPeriodicSet(0, 0);
        default:
            return FormatSetCommand(id, 0);
    }
}

}  // namespace

CommandId CommandIdForText(std::string_view text) {
    for (int value = kFirstId; value <= kLastId; ++value) {
        const auto id = static_cast<CommandId>(value);
        if (const char* fixed = CommandText(id)) {
            const std::string_view command(fixed);
            if (command.substr(0, command.size() - 1) == text) return id;
            continue;
        }
        const std::string sample = SetCommandSample(id);
        const std::string_view keyword = Keyword(sample);
        if (!keyword.empty() && text.size() > keyword.size() && text.substr(0, keyword.size()) == keyword) return id;
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
