#include "at_command.h"

namespace q470::sim {
namespace {

constexpr std::string_view kPrefix = "AT";
constexpr std::size_t kHexMaskDigits = 4;

bool IsKeywordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' || c == '&';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::optional<std::uint8_t> HexValue(char c) {
    if (IsDigit(c)) return static_cast<std::uint8_t>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<std::uint8_t>(c - 'A' + 10);
    if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
    return std::nullopt;
}

std::vector<std::string> SplitParameters(std::string_view text) {
    std::vector<std::string> parameters;
    for (;;) {
        const std::size_t comma = text.find(',');
        parameters.emplace_back(text.substr(0, comma));
        if (comma == std::string_view::npos) return parameters;
        text.remove_prefix(comma + 1);
    }
}

}  // namespace

std::optional<AtCommand> ParseAtCommand(std::string_view line) {
    if (line.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
    std::size_t end = kPrefix.size();
    while (end < line.size() && IsKeywordChar(line[end])) ++end;

    AtCommand command;
    command.keyword = std::string(line.substr(0, end));
    const std::string_view rest = line.substr(end);
    if (rest.empty()) return command;
    if (rest == "?") {
        command.form = AtForm::Query;
        return command;
    }
    if (rest.front() != '=') return std::nullopt;
    command.form = AtForm::Set;
    command.parameters = SplitParameters(rest.substr(1));
    return command;
}

std::optional<std::uint32_t> ParseDecimalParameter(std::string_view text, std::uint32_t max) {
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > max) return std::nullopt;  // also stops any overflow on long digit runs
    }
    return static_cast<std::uint32_t>(value);
}

std::optional<std::uint16_t> ParseHex4Parameter(std::string_view text) {
    if (text.size() != kHexMaskDigits) return std::nullopt;
    std::uint16_t value = 0;
    for (char c : text) {
        const auto digit = HexValue(c);
        if (!digit) return std::nullopt;
        value = static_cast<std::uint16_t>((value << 4) | *digit);
    }
    return value;
}

}  // namespace q470::sim
