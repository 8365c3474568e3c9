#pragma once

#include <string>
#include <system_error>
#include <vector>

namespace q470 {

struct SerialPortEntry {
    std::string portName;    // narrow text: "/dev/ttyUSB0" here, "COM3" on Windows
    std::string secondText;  // always empty
};

// Replaces `ports` with the serial ports present: on Linux the tty devices under /sys/class/tty with
// a real device behind them (a ttyS* only when its UART exists), as /dev/ paths, sorted, no duplicates,
// followed by the ports registered at run time; on Windows the registry's SERIALCOMM list.
std::error_code EnumerateSerialPorts(std::vector<SerialPortEntry>& ports);

#ifndef _WIN32
// The Linux part on a given sysfs tty folder (normally /sys/class/tty), without the run-time ports.
std::error_code EnumerateSysfsSerialPorts(const std::string& sysClassTty, std::vector<SerialPortEntry>& ports);
#endif

// Ports that exist only while this process runs (the simulated device's pseudo-terminal).
void RegisterRuntimePort(const std::string& portName);
void UnregisterRuntimePort(const std::string& portName);

}  // namespace q470
