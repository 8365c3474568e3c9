#pragma once

#include <string>

namespace q470 {

// Text crosses between the device side (narrow: version texts, model names, port names) and the
// window side (UTF-16). The narrow encoding is UTF-8 on Linux and macOS and the ANSI code page on
// Windows. Invalid input never throws: undecodable bytes become U+FFFD, unpaired surrogates '?'.
std::u16string NarrowToWide(const std::string& text);
std::string WideToNarrow(const std::u16string& text);

}  // namespace q470
