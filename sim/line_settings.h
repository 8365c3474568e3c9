#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "modem_settings.h"

namespace q470::sim {

// A UART's rate and character format, in the device's own codes (parity 0 none, 1 even, 2 odd; stop
// bits 0 one, 1 two): what the device listens and talks at, or what the application's port is set to.
struct LineSettings {
    std::uint32_t baudRate = 9600;
    std::uint8_t dataBits = 8;
    std::uint8_t parity = 0;
    std::uint8_t stopBits = 0;

    bool operator==(const LineSettings& other) const {
        return baudRate == other.baudRate && dataBits == other.dataBits && parity == other.parity &&
               stopBits == other.stopBits;
    }
    bool operator!=(const LineSettings& other) const { return !(*this == other); }
};

// The UART setting a device holds (the one AT+UART= writes), and setting it.
LineSettings UartOf(const ModemSettings& settings);
void SetUart(ModemSettings& settings, const LineSettings& line);
// A port's line settings in a serial port's own codes (parity 0 none, 1 odd, 2 even; stop bits 0 one,
// 2 two), as the device codes them.
LineSettings FromPortCodes(std::uint32_t baudRate, std::uint8_t dataBits, std::uint8_t parity, std::uint8_t stopBits);
// "9600 8N1", "19200 7E2".
std::string Describe(const LineSettings& line);

// The line settings the application has given the pseudo-terminal, read on its master; nothing when
// they cannot be read. A pseudo-terminal keeps the rate and the stop bits it is given but always
// reads 8 data bits without parity (Linux forces them), so those two say nothing of the application.
std::optional<LineSettings> ReadHostLine(int masterFd);

// Whether a device at `device` understands an application at `host`, as far as a pseudo-terminal
// tells: the same rate and the same stop bits.
bool Understands(const LineSettings& device, const LineSettings& host);

// What an application at another line rate makes of bytes sent at the device's: no line, no letter.
std::string Garble(const std::string& bytes);

}  // namespace q470::sim
