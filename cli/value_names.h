#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace q470 {

// A word the command line accepts and the value it stands for.
struct NamedValue {
    std::string_view name;
    std::uint32_t value;
};

// A table of the words one setting accepts; the first word of a value is how the tool prints it.
struct ValueNames {
    const NamedValue* entries;
    std::size_t count;

    // The value of a word (names in any letter case), or nothing.
    std::optional<std::uint32_t> Parse(std::string_view word) const;
    // The first word for a value, or the value as a number when no word names it.
    std::string NameOf(std::uint32_t value) const;
    // "a, b, c": for messages that list what is allowed.
    std::string Allowed() const;
};

// The words of each setting. Device codes where the device's own encoding is meant (the general
// settings), serial channel codes for the line the port is opened with.
extern const ValueNames kOperationModeNames;  // p2p 1, p2pcmd 2, multi 3, multicmd 4
extern const ValueNames kNetworkRoleNames;    // master 1, slave 2
extern const ValueNames kDeviceParityNames;   // none 0, even 1, odd 2
extern const ValueNames kDeviceStopBitNames;  // 1 → 0, 2 → 1
extern const ValueNames kDataBitNames;        // 7, 8
extern const ValueNames kSwitchNames;         // 0/off/false, 1/on/true
extern const ValueNames kBaudRateNames;       // the rates the line and the device offer
extern const ValueNames kLineParityNames;     // none 0, odd 1, even 2 (serial channel codes)
extern const ValueNames kLineStopBitNames;    // 1 → 0, 2 → 2 (serial channel codes)
extern const ValueNames kGpioModeNames;       // input 0, output 1, alt 2
// The words of a pin's value in a mode (the alternate function's values depend on the pin).
const ValueNames& GpioValueNames(std::uint8_t pin, std::uint8_t ioMode);

// A whole decimal number without sign, at most `max`.
std::optional<std::uint64_t> ParseDecimal(std::string_view text, std::uint64_t max);

}  // namespace q470
