#pragma once

#include <optional>
#include <string>

namespace q470 {

// The open descriptor a file argument stands for: "-" (standard input to read from, standard output to
// write to), /dev/stdin, /dev/stdout, /dev/stderr, /dev/fd/N and /proc/self/fd/N. Such a stream is used
// through the descriptor the tool already holds: opened again by name it would start over, and a
// standard output redirected into a file would lose what was written to it before. Nothing for any
// other name.
std::optional<int> StandardStreamOf(const std::string& argument, bool forWriting);

}  // namespace q470
