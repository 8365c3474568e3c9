#include "line_rate.h"

#ifdef __linux__
// The kernel's own termios definitions; they clash with <termios.h>, so this file includes only them.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace q470 {

std::error_code SetLineRate(int fd, std::uint32_t baudRate) {
    struct termios2 settings {};
    if (::ioctl(fd, TCGETS2, &settings) != 0) return {errno, std::system_category()};
    settings.c_cflag &= ~static_cast<tcflag_t>(CBAUD);
    settings.c_cflag |= BOTHER;
    settings.c_ospeed = baudRate;
    // The input rate follows the output rate.
    settings.c_cflag &= ~static_cast<tcflag_t>(CBAUD << IBSHIFT);
    settings.c_ispeed = 0;
    if (::ioctl(fd, TCSETS2, &settings) != 0) return {errno, std::system_category()};
    return {};
}

std::optional<std::uint32_t> ReadLineRate(int fd) {
    struct termios2 settings {};
    if (::ioctl(fd, TCGETS2, &settings) != 0) return std::nullopt;
    return settings.c_ospeed;
}

}  // namespace q470
#endif
