#pragma once

#include <cstdint>
#include <string_view>

namespace q470 {

// Reads a number the way the C library's decimal conversion to int does: leading white space, an
// optional sign, digits up to the first other character; no digits give 0. A number that does not
// fit saturates at the 32-bit limits instead of being undefined, so a hostile device line cannot
// produce an arbitrary value.
std::int32_t ParseCDecimal(std::string_view text);

}  // namespace q470
