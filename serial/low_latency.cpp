#include "low_latency.h"

#ifdef __linux__
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace q470 {

#ifdef __linux__

bool TakeLowLatency(int fd) {
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0) return false;
    if (serial.flags & ASYNC_LOW_LATENCY) return false;
    serial.flags |= ASYNC_LOW_LATENCY;
    return ::ioctl(fd, TIOCSSERIAL, &serial) == 0;
}

// The flags are read again: the driver may have changed others since the port was opened.
void ReleaseLowLatency(int fd) {
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0 || !(serial.flags & ASYNC_LOW_LATENCY)) return;
    serial.flags &= ~ASYNC_LOW_LATENCY;
    ::ioctl(fd, TIOCSSERIAL, &serial);
}

#else

bool TakeLowLatency(int) {
    return false;
}

void ReleaseLowLatency(int) {}

#endif

}  // namespace q470
