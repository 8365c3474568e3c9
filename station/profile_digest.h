#pragma once

#include <string>
#include <string_view>

namespace q470 {

// The SHA-256 of a profile's bytes in lower-case hexadecimal: the record tells two profiles apart by it,
// whatever their file names.
std::string Sha256Hex(std::string_view bytes);

}  // namespace q470
