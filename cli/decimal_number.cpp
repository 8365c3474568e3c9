#include "decimal_number.h"

namespace q470 {

std::optional<std::uint64_t> ParseDecimal(std::string_view text, std::uint64_t max) {
    constexpr std::size_t kMaxDigits = 19;  // below the overflow of 64 bits
    if (text.empty() || text.size() > kMaxDigits) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > max) return std::nullopt;
    return value;
}

}  // namespace q470
