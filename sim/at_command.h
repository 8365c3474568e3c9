#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace q470::sim {

enum class AtForm { Action, Query, Set };

// One received command line taken apart: "AT+UART=9600,0,0,8" is the keyword "AT+UART", the form
// Set and the parameters "9600", "0", "0", "8". "ATZ" is the keyword "ATZ" in the Action form.
struct AtCommand {
    std::string keyword;
    AtForm form = AtForm::Action;
    std::vector<std::string> parameters;  // raw texts, checked by the command that takes them
};

// Takes apart one command line (without its CR). Accepts any bytes: a line that is not "AT", then
// keyword characters (A-Z, 0-9, '+', '&'), then nothing, a final "?" or "=" with parameters, gives
// nullopt. The device answers such a line with ERROR.
std::optional<AtCommand> ParseAtCommand(std::string_view line);

// A plain unsigned decimal parameter: one or more digits, nothing else, value at most `max`.
std::optional<std::uint32_t> ParseDecimalParameter(std::string_view text, std::uint32_t max);

// Exactly four hexadecimal digits, as the GPIO pin mask is written.
std::optional<std::uint16_t> ParseHex4Parameter(std::string_view text);

}  // namespace q470::sim
