#pragma once

#include <QString>
#include <cstdint>
#include <system_error>

namespace q470 {

// The status bar's line summary, for example "COM3, 9600, No parity, 1 stopbit, 8bit". Codes are the
// serial channel's; a code without a text shows as an empty part.
QString LineSummaryText(const QString& portName, std::uint32_t baudRate, std::uint8_t parity, std::uint8_t stopBits,
                        std::uint8_t dataBits);

// The box shown when a port does not open: the failure text, a colon and the system's reason as a
// sentence, followed by what the user can do about a missing permission or a port held by another program.
QString PortOpenErrorText(const std::error_code& error);

}  // namespace q470
