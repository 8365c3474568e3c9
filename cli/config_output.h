#pragma once

#include <string>

namespace q470 {

// Writes a configuration file's bytes where an argument says: a regular file is replaced as a whole
// (AtomicFileWriter); a device, a pipe or a terminal is written in place; "-" and the names of the
// tool's own streams (/dev/stdout, /dev/fd/N) are written through the descriptor it holds, after
// whatever that stream has had before. False when the bytes could not all be written.
bool WriteConfigOutput(const std::string& argument, const std::string& bytes);

// Whether the argument names standard output, which then carries the file and nothing else.
bool IsStandardOutput(const std::string& argument);

}  // namespace q470
