#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// Lock files in the UUCP manner (/var/lock/LCK..ttyUSB0) that serial programs such as terminal emulators
// leave while they hold a port. They are honoured, never written, and never removed: a file whose
// process has ended is simply no obstacle.
namespace q470 {

// Where lock files are looked for: /var/lock, or the folder in Q470_LOCK_DIR (for tests and diagnosis).
std::string PortLockFolder();

// The names a lock file of the port may have: LCK.. and the port's file name, and the same for the
// device that a link to it (/dev/serial/by-id/…) leads to.
std::vector<std::string> PortLockFileNames(const std::string& portName);

// The process id a lock file names: ASCII digits (ten columns and a newline, as most programs write
// it) or the four bytes of a binary int (as older ones do). Nothing for content that names no process.
std::optional<std::int32_t> LockFileProcessId(std::string_view content);

// Busy when a lock file of the port names a running process other than this one, or cannot be read;
// its value is that process id (0 for an unreadable file). Compares equal to
// std::errc::device_or_resource_busy.
std::error_code PortLockError(const std::string& portName);

const std::error_category& PortLockCategory();

}  // namespace q470
