#pragma once

#include <optional>
#include <string>

namespace q470 {

// What is behind a serial port, where the system knows it: the USB adapter's names and ids, its
// serial number, the driver, and the names that stay the same whichever port the adapter gets: one for
// the adapter (by its serial number, which identical adapters without one share) and one for the USB
// socket it is plugged into (what a fixture on a production line keeps).
struct PortDescription {
    std::string vendor;        // "FTDI"
    std::string product;       // "FT232R USB UART"
    std::string vendorId;      // "0403", four hex digits
    std::string productId;     // "6001"
    std::string serialNumber;  // "A10K3X8Q"
    std::string driver;        // "ftdi_sio"
    std::string stableName;    // "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3X8Q-if00-port0"
    std::string friendlyName;  // Windows: the registry's friendly name, "USB Serial Port (COM3)"
    std::string byPathName;    // "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0"
    // How long the adapter holds received bytes before it passes them on (FTDI chips: 16 by default).
    std::optional<int> latencyTimerMs;

    bool Empty() const;
};

// Linux: udev (libudev) where it is built in and knows the port, the sysfs walk for whatever it left
// out; Windows: the friendly name and ids the registry keeps for the port. Empty for a port nothing
// is known about (a pseudo-terminal, a port that is gone).
PortDescription DescribeSerialPort(const std::string& portName);

// One line for people: "FTDI FT232R USB UART (0403:6001), serial A10K3X8Q, driver ftdi_sio, latency
// timer 16 ms, /dev/serial/by-id/…, /dev/serial/by-path/…"; empty when nothing is known.
std::string DescriptionText(const PortDescription& description);

#ifndef _WIN32
// The sysfs walk alone, on a given sysfs tty folder (normally /sys/class/tty) and folder of stable
// names (normally /dev/serial, holding by-id and by-path), so tests can give fake trees.
PortDescription DescribeFromSysfs(const std::string& portName, const std::string& sysClassTty,
                                  const std::string& serialLinkFolder);
#endif

}  // namespace q470
