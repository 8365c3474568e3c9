#pragma once

#include <string>

namespace q470 {

// A file name from the command line (UTF-8, see ProgramArguments) as the file functions take it. Not
// NarrowToWide: on Windows that reads the ANSI code page, the encoding of device texts, not of arguments;
// on Linux it would replace the bytes of a name that is not UTF-8.
std::u16string PathFromArgument(const std::string& argument);

}  // namespace q470
