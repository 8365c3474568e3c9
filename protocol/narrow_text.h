#pragma once

#include <string>

namespace q470 {

// Text crosses between the device side (narrow: version texts, model names, port names) and the
// window side (UTF-16). The narrow encoding is UTF-8 on Linux and macOS and the ANSI code page on
// Windows. Invalid input never throws: undecodable bytes become U+FFFD, unpaired surrogates '?'.
std::u16string NarrowToWide(const std::string& text);
std::string WideToNarrow(const std::u16string& text);

#ifndef _WIN32
// File names are bytes on Linux and macOS, and need not be UTF-8. Lossless: UTF-8 is decoded, and each
// byte that is not part of valid UTF-8 becomes the lone surrogate U+DC00 + byte, which WideToNarrow
// turns back into the same byte (a lone surrogate from anywhere else still becomes '?').
std::u16string BytesToWide(const std::string& bytes);
#endif

}  // namespace q470
