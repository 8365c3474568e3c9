#pragma once

namespace q470 {

// USB serial adapters hold received bytes until their latency timer runs out (16 ms on an FTDI chip),
// so every answer of the device would wait that long. In low-latency mode the driver passes bytes on
// at once. Linux only; elsewhere both do nothing.

// Asks the driver of the tty open on `fd` for low-latency mode. True when this turned it on, so that
// ReleaseLowLatency must turn it off again; false when it was on already or the driver knows no such
// mode (a pseudo-terminal answers ENOTTY): the port works as it is either way.
bool TakeLowLatency(int fd);

// Turns low-latency mode off again, leaving the port's other flags as they are now.
void ReleaseLowLatency(int fd);

}  // namespace q470
