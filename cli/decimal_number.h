#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace q470 {

// A whole decimal number without sign, at most `max`.
std::optional<std::uint64_t> ParseDecimal(std::string_view text, std::uint64_t max);

}  // namespace q470
