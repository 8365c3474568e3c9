#include "value_names.h"

#include <array>
#include <cctype>
#include <limits>

namespace q470 {
namespace {

template <std::size_t N>
constexpr ValueNames Table(const std::array<NamedValue, N>& entries) {
    return ValueNames{entries.data(), N};
}

constexpr std::array<NamedValue, 8> kOperationModes{
    {{"p2p", 1}, {"p2pcmd", 2}, {"multi", 3}, {"multicmd", 4}, {"1", 1}, {"2", 2}, {"3", 3}, {"4", 4}}};
constexpr std::array<NamedValue, 4> kNetworkRoles{{{"master", 1}, {"slave", 2}, {"1", 1}, {"2", 2}}};
constexpr std::array<NamedValue, 3> kDeviceParities{{{"none", 0}, {"even", 1}, {"odd", 2}}};
constexpr std::array<NamedValue, 2> kDeviceStopBits{{{"1", 0}, {"2", 1}}};
constexpr std::array<NamedValue, 2> kDataBits{{{"7", 7}, {"8", 8}}};
// true and false as well: what --json prints can be given back.
constexpr std::array<NamedValue, 6> kSwitches{{{"0", 0}, {"1", 1}, {"off", 0}, {"on", 1}, {"false", 0}, {"true", 1}}};
constexpr std::array<NamedValue, 9> kBaudRates{{{"2400", 2400},
                                                {"4800", 4800},
                                                {"9600", 9600},
                                                {"14400", 14400},
                                                {"19200", 19200},
                                                {"38400", 38400},
                                                {"57600", 57600},
                                                {"115200", 115200},
                                                {"230400", 230400}}};
constexpr std::array<NamedValue, 3> kLineParities{{{"none", 0}, {"odd", 1}, {"even", 2}}};
constexpr std::array<NamedValue, 2> kLineStopBits{{{"1", 0}, {"2", 2}}};
constexpr std::array<NamedValue, 6> kGpioModes{{{"input", 0}, {"output", 1}, {"alt", 2}, {"0", 0}, {"1", 1}, {"2", 2}}};

constexpr std::array<NamedValue, 6> kInputValues{
    {{"no-pull", 0}, {"pull-up", 1}, {"pull-down", 2}, {"0", 0}, {"1", 1}, {"2", 2}}};
constexpr std::array<NamedValue, 4> kOutputValues{{{"low", 0}, {"high", 1}, {"0", 0}, {"1", 1}}};
constexpr std::array<NamedValue, 4> kStatusLedValues{{{"push-pull", 0}, {"inv-push-pull", 1}, {"0", 0}, {"1", 1}}};
constexpr std::array<NamedValue, 2> kAlternateValues{{{"none", 0}, {"0", 0}}};
constexpr std::array<NamedValue, 0> kNoValues{};

constexpr std::uint8_t kStatusLedPin = 2;

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

const ValueNames kOperationModeNames = Table(kOperationModes);
const ValueNames kNetworkRoleNames = Table(kNetworkRoles);
const ValueNames kDeviceParityNames = Table(kDeviceParities);
const ValueNames kDeviceStopBitNames = Table(kDeviceStopBits);
const ValueNames kDataBitNames = Table(kDataBits);
const ValueNames kSwitchNames = Table(kSwitches);
const ValueNames kBaudRateNames = Table(kBaudRates);
const ValueNames kLineParityNames = Table(kLineParities);
const ValueNames kLineStopBitNames = Table(kLineStopBits);
const ValueNames kGpioModeNames = Table(kGpioModes);

const ValueNames& GpioValueNames(std::uint8_t pin, std::uint8_t ioMode) {
    static const ValueNames input = Table(kInputValues);
    static const ValueNames output = Table(kOutputValues);
    static const ValueNames statusLed = Table(kStatusLedValues);
    static const ValueNames alternate = Table(kAlternateValues);
    static const ValueNames none{kNoValues.data(), 0};
    switch (ioMode) {
        case 0:
            return input;
        case 1:
            return output;
        case 2:
            return pin == kStatusLedPin ? statusLed : alternate;
        default:
            return none;
    }
}

std::optional<std::uint32_t> ValueNames::Parse(std::string_view word) const {
    for (std::size_t i = 0; i < count; ++i) {
        if (SameWord(entries[i].name, word)) return entries[i].value;
    }
    return std::nullopt;
}

std::string ValueNames::NameOf(std::uint32_t value) const {
    for (std::size_t i = 0; i < count; ++i) {
        if (entries[i].value == value) return std::string(entries[i].name);
    }
    return std::to_string(value);
}

std::string ValueNames::Allowed() const {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        if (!text.empty()) text += ", ";
        text += entries[i].name;
    }
    return text;
}

std::optional<std::uint64_t> ParseDecimal(std::string_view text, std::uint64_t max) {
    constexpr std::size_t kMaxDigits = 19;  // below the overflow of 64 bits
    if (text.empty() || text.size() > kMaxDigits) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > max) return std::nullopt;
    return value;
}

}  // namespace q470
