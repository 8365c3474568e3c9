// The kernel's own termios definitions clash with <termios.h>, so this file includes only them: the
// line rate is read as a number (termios2), which also covers rates without a B… constant.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include "line_settings.h"

namespace q470::sim {

std::optional<LineSettings> ReadHostLine(int masterFd) {
    struct termios2 settings {};
    if (::ioctl(masterFd, TCGETS2, &settings) != 0) return std::nullopt;
    LineSettings line;
    line.baudRate = settings.c_ospeed;
    line.dataBits = (settings.c_cflag & CSIZE) == CS7 ? 7 : (settings.c_cflag & CSIZE) == CS8 ? 8 : 0;
    line.parity = (settings.c_cflag & PARENB) == 0 ? 0 : (settings.c_cflag & PARODD) != 0 ? 2 : 1;
    line.stopBits = (settings.c_cflag & CSTOPB) != 0 ? 1 : 0;
    return line;
}

}  // namespace q470::sim
