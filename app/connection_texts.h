#pragma once

#include <QString>
#include <cstdint>
#include <system_error>

namespace q470 {

// The status bar's line summary, for example "COM3, 9600, No parity, 1 stopbit, 8bit". Codes are the
// serial channel's; a code without a text shows as an empty part.
QString LineSummaryText(const QString& portName, std::uint32_t baudRate, std::uint8_t parity, std::uint8_t stopBits,
                        std::uint8_t dataBits);

// The system's reason for a port failure in the interface language: a missing port, a busy one, a
// missing permission, an input/output error, a device that is gone, a connection that was closed. Other
// reasons keep the system's own text. Always one sentence.
QString SystemReasonText(const std::error_code& error);

// The box shown when a port does not open: the failure text, a colon and the system's reason as a
// sentence, followed by what the user can do about a missing permission or a port held by another program.
QString PortOpenErrorText(const std::error_code& error);

// The box shown when the open port fails: the port-problem text, then the port, why, and how to connect
// again.
QString PortLostText(const QString& portName, const std::error_code& error);

}  // namespace q470
