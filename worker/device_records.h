#pragma once

#include <cstdint>
#include <string>

#include "device_state.h"
#include "general_settings.h"
#include "gpio_settings.h"

namespace q470 {

// The line settings the port was opened with, in the serial channel's codes: parity 0 none, 1 odd,
// 2 even; stop bits 0 one, 1 one and a half, 2 two.
struct ConnectionLine {
    std::uint32_t baudRate = 9600;
    std::uint8_t dataBits = 8;
    std::uint8_t parity = 0;
    std::uint8_t stopBits = 0;
};

// The device's codes differ from the channel's: parity 0 none, 1 even, 2 odd; stop bits 0 one, 1 two.
// Anything else becomes none, one stop bit, 8 data bits.
std::uint8_t DeviceParity(std::uint8_t connectionParity);
std::uint8_t DeviceStopBits(std::uint8_t connectionStopBits);
std::uint8_t DeviceDataBits(std::uint8_t connectionDataBits);

// The general page's record after a successful read job. The device's UART settings are never read:
// the record carries the line the port was opened with. `afterQ470RRead` tells job 4 (RX pull-up and
// firmware version taken over) from job 5 (both left at 0 / empty).
GeneralSettings GeneralSettingsFromDevice(const DeviceState& state, const ConnectionLine& line, bool afterQ470RRead);

// The GPIO page's record after a successful Q470R read.
GpioSettings GpioSettingsFromDevice(const DeviceState& state);

// "00:12:4B:00:1A:2B:3C:4D": most significant byte first, upper-case hexadecimal.
std::string FormatExtendedAddress(std::uint64_t address);

// The window's status information: the model label and the link state, for example
// "Q470R/RX, ACTIVE" or "KELDAN-KS410, INACTIVE, 설정 모드"; `settingModeText` is the last part in the
// user's language.
std::string DeviceStatusText(const DeviceState& state, const std::string& settingModeText);

}  // namespace q470
