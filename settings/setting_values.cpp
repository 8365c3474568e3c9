#include "setting_values.h"

#include <array>
#include <cctype>

#include "response_record.h"

namespace q470 {
namespace {

template <std::size_t N>
constexpr SettingValues Table(const std::array<SettingValue, N>& rows) {
    return SettingValues{rows.data(), N};
}

constexpr std::array<SettingValue, 8> kOperationModes{{{1, "p2p", nullptr},
                                                       {2, "p2pcmd", nullptr},
                                                       {3, "multi", nullptr},
                                                       {4, "multicmd", nullptr},
                                                       {1, "1", nullptr},
                                                       {2, "2", nullptr},
                                                       {3, "3", nullptr},
                                                       {4, "4", nullptr}}};
constexpr std::array<SettingValue, 4> kNetworkRoles{
    {{1, "master", nullptr}, {2, "slave", nullptr}, {1, "1", nullptr}, {2, "2", nullptr}}};
constexpr std::array<SettingValue, 3> kDeviceParities{{{0, "none", "None"}, {2, "odd", "Odd"}, {1, "even", "Even"}}};
constexpr std::array<SettingValue, 2> kDeviceStopBits{{{0, "1", "1"}, {1, "2", "2"}}};
constexpr std::array<SettingValue, 9> kBaudRates{{
    {2400, "2400", "2400"},
    {4800, "4800", "4800"},
    {9600, "9600", "9600"},
    {14400, "14400", "14400"},
    {19200, "19200", "19200"},
    {38400, "38400", "38400"},
    {57600, "57600", "57600"},
    {115200, "115200", "115200"},
    {230400, "230400", "230400"},
}};
constexpr std::array<SettingValue, 2> kDataBits{{{7, "7", "7 bits"}, {8, "8", "8 bits"}}};
// true and false as well: what --json prints can be given back.
constexpr std::array<SettingValue, 6> kSwitches{{{0, "0", "OFF"},
                                                 {1, "1", "ON"},
                                                 {0, "off", nullptr},
                                                 {1, "on", nullptr},
                                                 {0, "false", nullptr},
                                                 {1, "true", nullptr}}};
constexpr std::array<SettingValue, 3> kLineParities{{{0, "none", "None"}, {1, "odd", "Odd"}, {2, "even", "Even"}}};
constexpr std::array<SettingValue, 2> kLineStopBits{{{0, "1", "1"}, {2, "2", "2"}}};

constexpr std::array<SettingValue, 6> kGpioModes{{
    {kGpioModeInput, "input", "Input"},
    {kGpioModeOutput, "output", "Output"},
    {kGpioModeAlternate, "alt", nullptr},
    {kGpioModeInput, "0", nullptr},
    {kGpioModeOutput, "1", nullptr},
    {kGpioModeAlternate, "2", nullptr},
}};
constexpr std::array<SettingValue, 6> kInputValues{{
    {0, "no-pull", "No Pull"},
    {1, "pull-up", "Pull Up"},
    {2, "pull-down", "Pull Down"},
    {0, "0", nullptr},
    {1, "1", nullptr},
    {2, "2", nullptr},
}};
constexpr std::array<SettingValue, 4> kOutputValues{
    {{0, "low", "Low"}, {1, "high", "High"}, {0, "0", nullptr}, {1, "1", nullptr}}};
constexpr std::array<SettingValue, 4> kStatusLedValues{{
    {0, "push-pull", "Push Pull"},
    {1, "inv-push-pull", "Inv Push Pull"},
    {0, "0", nullptr},
    {1, "1", nullptr},
}};
constexpr std::array<SettingValue, 2> kAlternateValues{{{0, "none", "None"}, {0, "0", nullptr}}};

// The pins with an alternate function and its name; the others offer input and output only.
constexpr std::array<const char*, kGpioPinCount> kAlternateFunctions{
    nullptr, nullptr,    "Status LED", "AIO 0", "AIO 1", "AIO 2", "AIO 3",
    nullptr, "UART CTS", "UART RTS",   nullptr, nullptr, nullptr,
};
static_assert(kAlternateFunctions[kStatusLedPin] != nullptr, "the status LED is a pin's alternate function");

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

const SettingValues kOperationModeValues = Table(kOperationModes);
const SettingValues kNetworkRoleValues = Table(kNetworkRoles);
const SettingValues kDeviceParityValues = Table(kDeviceParities);
const SettingValues kDeviceStopBitValues = Table(kDeviceStopBits);
const SettingValues kBaudRateValues = Table(kBaudRates);
const SettingValues kDataBitValues = Table(kDataBits);
const SettingValues kSwitchValues = Table(kSwitches);
const SettingValues kLineParityValues = Table(kLineParities);
const SettingValues kLineStopBitValues = Table(kLineStopBits);
const SettingValues kGpioModeValues = Table(kGpioModes);

const SettingValues& GpioValues(std::uint8_t pin, std::uint8_t ioMode) {
    static const SettingValues input = Table(kInputValues);
    static const SettingValues output = Table(kOutputValues);
    static const SettingValues statusLed = Table(kStatusLedValues);
    static const SettingValues alternate = Table(kAlternateValues);
    static const SettingValues none{nullptr, 0};
    switch (ioMode) {
        case kGpioModeInput:
            return input;
        case kGpioModeOutput:
            return output;
        case kGpioModeAlternate:
            return pin == kStatusLedPin ? statusLed : alternate;
        default:
            return none;
    }
}

const char* AlternateFunctionName(std::uint8_t pin) {
    return pin < kAlternateFunctions.size() ? kAlternateFunctions[pin] : nullptr;
}

std::optional<std::uint32_t> TranslateCode(const SettingValues& from, std::uint32_t code, const SettingValues& to) {
    const SettingValue* row = from.Find(code);
    return row != nullptr ? to.Parse(row->word) : std::nullopt;
}

const SettingValue* SettingValues::Find(std::uint32_t code) const {
    for (const SettingValue& row : *this) {
        if (row.code == code) return &row;
    }
    return nullptr;
}

std::optional<std::uint32_t> SettingValues::Parse(std::string_view word) const {
    for (const SettingValue& row : *this) {
        if (SameWord(row.word, word)) return row.code;
    }
    return std::nullopt;
}

std::string SettingValues::NameOf(std::uint32_t code) const {
    const SettingValue* row = Find(code);
    return row != nullptr ? std::string(row->word) : std::to_string(code);
}

std::string SettingValues::Words(std::string_view separator) const {
    std::string text;
    for (const SettingValue& row : *this) {
        if (!text.empty()) text += separator;
        text += row.word;
    }
    return text;
}

std::size_t SettingValues::LabelCount() const {
    std::size_t labels = 0;
    for (const SettingValue& row : *this) labels += row.label != nullptr ? 1 : 0;
    return labels;
}

}  // namespace q470
