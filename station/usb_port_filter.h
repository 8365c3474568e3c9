#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "port_watch.h"

namespace q470 {

// Whether a tty's name is that of a USB serial port: ttyUSB<N> (USB serial adapters) or ttyACM<N>
// (modems of the USB communications class).
bool IsUsbSerialName(std::string_view name);

// The station's event for what the system said about a tty device ("add" or "remove", its name under
// /sys/class/tty, its device node), when it is about a USB serial port. A node that udev did not name
// is /dev/<name>.
std::optional<PortEvent> UsbPortEvent(std::string_view action, std::string_view name, std::string_view node);

}  // namespace q470
