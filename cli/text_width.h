#pragma once

#include <cstddef>
#include <string_view>

namespace q470 {

// The columns UTF-8 text takes on a terminal: two for Hangul and the other East Asian wide characters,
// one for the rest (and for each byte that is not UTF-8), so that Korean tables line up. The C
// library's wcwidth depends on the process locale and is missing on Windows.
std::size_t DisplayWidth(std::string_view text);

}  // namespace q470
