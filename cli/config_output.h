#pragma once

#include <functional>
#include <string>
#include <system_error>

namespace q470 {

// Writes a configuration file's bytes where an argument says: a regular file is replaced as a whole
// (AtomicFileWriter); a device or a named pipe is written in place; "-" and the names of the tool's own
// streams (/dev/stdout, /dev/fd/N) are written through the descriptor it holds, after whatever that
// stream has had before. A named pipe is waited for until it has a reader, and a stream until it takes
// the bytes, for as long as `stopped` says no. Returns why the bytes could not all be written (a
// system error: "File too large", "No space left on device", operation_canceled when stopped), or
// nothing when they were. Where the argument may point is checked before (RefusedTarget).
std::error_code WriteConfigOutput(const std::string& argument, const std::string& bytes,
                                  const std::function<bool()>& stopped = {});

// Whether the argument names standard output, which then carries the file and nothing else.
bool IsStandardOutput(const std::string& argument);

}  // namespace q470
