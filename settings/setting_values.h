#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace q470 {

// One value of a setting: its code, the word q470ctl reads and prints for it, and the text the window's
// list shows for it. A code may have further words (numbers, "on"/"off"); those rows have no label, and
// the first word of a code is the one the tool prints.
struct SettingValue {
    std::uint32_t code;
    std::string_view word;
    const char* label;  // nullptr: a further word of a code listed above
};

// The values of one setting, in the order the window lists them and the tool names them.
struct SettingValues {
    const SettingValue* rows;
    std::size_t count;

    const SettingValue* begin() const { return rows; }
    const SettingValue* end() const { return rows + count; }

    // The first row of a code, or nullptr.
    const SettingValue* Find(std::uint32_t code) const;
    // The code of a word (in any letter case), or nothing.
    std::optional<std::uint32_t> Parse(std::string_view word) const;
    // The first word of a code, or the code as a number when no word names it.
    std::string NameOf(std::uint32_t code) const;
    // Every word, joined by `separator` ("a, b, c" for messages that list what is allowed).
    std::string Words(std::string_view separator = ", ") const;
    // How many values the window's list offers (the labelled rows).
    std::size_t LabelCount() const;
};

// The code in `to` of the word that `code` has in `from`: how the device's and the line's codes of one
// choice turn into each other. Nothing when `from` has no such code or `to` no such word.
std::optional<std::uint32_t> TranslateCode(const SettingValues& from, std::uint32_t code, const SettingValues& to);

// The general settings in the device's own codes.
extern const SettingValues kOperationModeValues;  // p2p 1, p2pcmd 2, multi 3, multicmd 4
extern const SettingValues kNetworkRoleValues;    // master 1, slave 2
extern const SettingValues kDeviceParityValues;   // none 0, odd 2, even 1
extern const SettingValues kDeviceStopBitValues;  // 1 → 0, 2 → 1
extern const SettingValues kBaudRateValues;       // the nine rates the device and the line offer
extern const SettingValues kDataBitValues;        // 7, 8 (the same codes on the device and the line)
extern const SettingValues kSwitchValues;         // 0/off/false, 1/on/true
// The line the port is opened with, in the serial channel's codes (one and a half stop bits is never offered).
extern const SettingValues kLineParityValues;   // none 0, odd 1, even 2
extern const SettingValues kLineStopBitValues;  // 1 → 0, 2 → 2

// GPIO: pins 0 to 12, each in one of three modes; what a pin's value means depends on its mode.
constexpr std::uint8_t kGpioModeInput = 0;
constexpr std::uint8_t kGpioModeOutput = 1;
constexpr std::uint8_t kGpioModeAlternate = 2;
// The pin whose alternate function drives the status LED; its values choose the LED's drive.
constexpr std::uint8_t kStatusLedPin = 2;

extern const SettingValues kGpioModeValues;  // input 0, output 1, alt 2 (the alternate function's label is the pin's)
// The words and labels of a pin's value in a mode (the alternate function's depend on the pin); empty for
// a mode beyond 2. Which pins and modes may be written is the setting rules' to say.
const SettingValues& GpioValues(std::uint8_t pin, std::uint8_t ioMode);
// The name of a pin's alternate function ("Status LED", "AIO 0", "UART CTS"); nullptr for a pin without one.
const char* AlternateFunctionName(std::uint8_t pin);

}  // namespace q470
