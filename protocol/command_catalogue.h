#pragma once

#include <string_view>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "command_id.h"
#include "response_kind.h"

namespace q470 {

// How a command's text is made.
enum class CommandForm : std::uint8_t {
    None,          // no text in this system: the identifier is never sent
    Fixed,         // the text as it stands, CR included
    OneValue,      // one unsigned value, cut to the row's width
    Uart,          // baud rate, stop bits, parity, data bits
    GpioConfig,    // pin mask (four hexadecimal digits), I/O mode, pin configuration
    GpioPeriodic,  // report interval, send-remote flag
};

// Which records end a command.
enum class Completion : std::uint8_t {
    OkOrError,
    DataLine,  // its own data line only: an ERROR leaves it to time out
    Ready,     // restart-like: OK first, "+READY" once the device is back; whichever comes first
    Nothing,   // every record is discarded: it always ends by time-out
};

// One identifier of the catalogue: what is sent for it and what completes it.
struct CommandEntry {
    CommandId id;
    const char* text;  // Fixed: the bytes; the other forms: the printf format; None: nullptr
    CommandForm form;
    std::uint32_t mask;  // OneValue: the parameter's width
    Completion completion;
    ResponseKind dataKind;  // DataLine: the kind of its line
};

constexpr std::size_t kCommandCount = static_cast<std::size_t>(CmdEnd - kFirstCommandId);

// Row i holds identifier kFirstCommandId + i, every identifier that takes part in matching has its row.
extern const std::array<CommandEntry, kCommandCount> kCommandCatalogue;

// The row of an identifier; nullptr outside the catalogue.
const CommandEntry* FindCommand(CommandId id);

// Bytes of a command that takes no parameter, for example "AT\r"; nullptr when the identifier
// needs parameters or has no command text.
const char* CommandText(CommandId id);

// The set commands with one parameter ("AT+PANID=%u\r" and the like). The value is cut to the
// parameter's width (8, 16 or 32 bits) before it is printed. Empty for any other identifier.
std::string FormatSetCommand(CommandId id, std::uint32_t value);

// "AT+UART=%u,%u,%u,%u\r": the wire order is baud rate, stop bits, parity, data bits.
std::string FormatUartSet(std::uint32_t baudRate, std::uint8_t stopBits, std::uint8_t parity, std::uint8_t dataBits);

// "AT+GPIOC=%04X,%u,%u\r": the pin is addressed by a 16-bit mask with only its bit set.
std::string FormatGpioConfigSet(std::uint16_t pinMask, std::uint8_t ioMode, std::uint8_t pinConfig);

// "AT+GPIOP=%u,%u\r".
std::string FormatGpioPeriodicSet(std::uint32_t reportInterval, std::uint8_t sendRemote);

// 1 shifted left by (pin index modulo 32), cut to 16 bits: pin 0 gives 0x0001, pin 12 gives 0x1000.
std::uint16_t GpioPinMask(std::uint8_t pinIndex);

// The commands the device restarts on: ATZ, AT&F, AT+ASSOCCLR (and the reserved identifier 21).
// Their OK comes first, "+READY" once the device is back.
bool IsRestartLike(CommandId id);

// The queries that only their own data line completes (the GPIO table query included).
bool IsDataQuery(CommandId id);

// Whether a record of this kind ends a command sent with this identifier. The GPIO table query is
// completed by the assembled 13-entry record; assembling it is the device link's job.
bool CompletesCommand(CommandId id, std::int32_t kind);

// The identifier the catalogue gives an AT command text typed by a person (without its CR), so that the
// link waits for the answer that really completes it: the data line of a query, "+READY" or OK after a
// restart. A text the catalogue does not know gets an identifier that OK or ERROR completes.
CommandId CommandIdForText(std::string_view text);

// The device reserves PAN IDs 0, 0xFFFE and 0xFFFF; the PAN ID and user PAN ID setters refuse them
// without sending anything.
bool IsAcceptedPanId(std::uint16_t panId);

}  // namespace q470
