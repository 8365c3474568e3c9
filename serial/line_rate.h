#pragma once

#include <cstdint>
#include <optional>
#include <system_error>

namespace q470 {

// The line rate of an open terminal, for rates that have no B… constant of their own. Linux has
// none for 14400 bit/s (nor for 28800 and the like), and asio knows only the constants, so a modem
// set to such a rate could never be reached again; the kernel's termios2 interface takes any rate
// as a number (BOTHER). Linux only: elsewhere the platform's serial layer takes every rate itself.
#ifdef __linux__
std::error_code SetLineRate(int fd, std::uint32_t baudRate);
// The output rate in force, as the kernel holds it; nothing when it cannot be read. On a pseudo-
// terminal either end reads the slave's settings.
std::optional<std::uint32_t> ReadLineRate(int fd);
#endif

}  // namespace q470
