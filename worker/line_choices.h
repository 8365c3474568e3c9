#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "device_records.h"

namespace q470 {

// The line settings a search tries, most common first: the nine rates at 8N1 (9600, 115200, then the
// rest, 230400 last); `thorough` adds 8N2, 8E1, 8O1, 8E2 and 8O2 at every rate after them.
std::vector<ConnectionLine> SearchLines(bool thorough);

// How long a probe waits at a line setting: room for a short command and its answer at that rate,
// plus the device's own delay. A device that is there answers well inside it.
std::chrono::milliseconds ProbeWait(const ConnectionLine& line);

bool SameLine(const ConnectionLine& a, const ConnectionLine& b);

// "115200 8N1", "9600 8E2": rate, data bits, parity letter, stop bits.
std::string LineText(const ConnectionLine& line);

// The line setting of a device UART in the device's codes (parity 0 none, 1 even, 2 odd; stop bits
// 0 one, 1 two), as the serial channel codes it.
ConnectionLine LineOfDeviceUart(std::uint32_t baudRate, std::uint8_t dataBits, std::uint8_t deviceParity,
                                std::uint8_t deviceStopBits);

}  // namespace q470
