#pragma once

#include <chrono>

namespace q470::sim {

// Under which name a device that left the bus for a restart comes back.
enum class ReturnName {
    Same,   // the links lead to the new port; the kernel link keeps its name
    Other,  // the kernel link comes back with the next number (ttyACM0 → ttyACM1), the stable link stays
    Never,  // the device does not come back: its links are gone for good
};

// A modem with its own USB port (CDC-ACM) leaves the bus when it restarts and comes back as a new port.
// With `on`, a restart (ATZ, AT&F, AT+ASSOCCLR) answers OK, then closes the pseudo-terminal (the
// application sees a hang-up), removes the port's links and, `away` later, serves a new
// pseudo-terminal and makes the links again. The device sends no "+READY" on the new port: nobody was
// listening when it started.
struct Reenumeration {
    bool on = false;
    ReturnName returnName = ReturnName::Same;
    std::chrono::milliseconds away{200};
};

}  // namespace q470::sim
