#include "gpio_changes.h"

#include <limits>
#include <string_view>

#include "settings_rules.h"
#include "value_names.h"

namespace q470 {
namespace {

constexpr std::uint64_t kLastPin = kGpioPinCount - 1;

std::string ModesOf(std::uint8_t pin) {
    return HasAlternateFunction(pin) ? "input, output, alt (or 0, 1, 2)" : "input, output (or 0, 1)";
}

// "PIN=MODE[:VALUE]" → entry; "" or the message.
std::string ParsePin(const std::string& word, std::optional<GpioEntry>& entry) {
    const auto equals = word.find('=');
    const auto pin =
        equals == std::string::npos ? std::nullopt : ParseDecimal(std::string_view(word).substr(0, equals), kLastPin);
    if (!pin) return "gpio: '" + word + "' is not PIN=MODE[:VALUE] with a pin from 0 to 12";
    const std::uint8_t index = static_cast<std::uint8_t>(*pin);

    const std::string_view setting = std::string_view(word).substr(equals + 1);
    const auto colon = setting.find(':');
    const std::string_view modeWord = setting.substr(0, colon);
    const auto mode = kGpioModeNames.Parse(modeWord);
    if (!mode || GpioValueCount(index, static_cast<std::uint8_t>(*mode)) == 0) {
        return "gpio: " + word + ": pin " + std::to_string(index) + " has no mode '" + std::string(modeWord) +
               "' (allowed: " + ModesOf(index) + ")";
    }
    const std::uint8_t ioMode = static_cast<std::uint8_t>(*mode);
    std::uint32_t value = 0;
    if (colon != std::string_view::npos) {
        const ValueNames& names = GpioValueNames(index, ioMode);
        const auto parsed = names.Parse(setting.substr(colon + 1));
        if (!parsed || *parsed >= GpioValueCount(index, ioMode)) {
            return "gpio: " + word + ": not a value of this mode (allowed: " + names.Allowed() + ")";
        }
        value = *parsed;
    }
    entry = GpioEntry{index, ioMode, static_cast<std::uint8_t>(value)};
    return {};
}

}  // namespace

std::optional<GpioChanges> GpioChanges::Parse(const std::vector<std::string>& words,
                                              const std::optional<std::string>& interval,
                                              const std::optional<std::string>& sendToPeer, const CliText& text,
                                              std::string& error) {
    GpioChanges changes;
    for (const std::string& word : words) {
        std::optional<GpioEntry> entry;
        error = ParsePin(word, entry);
        if (!error.empty()) return std::nullopt;
        if (changes.pins_[entry->pin]) {
            error = "gpio: pin " + std::to_string(entry->pin) + " is given twice";
            return std::nullopt;
        }
        changes.pins_[entry->pin] = entry;
    }
    if (interval) {
        const auto ms = ParseDecimal(*interval, std::numeric_limits<std::int32_t>::max());
        if (!ms || !IsAcceptedReportInterval(static_cast<std::int64_t>(*ms))) {
            error = "gpio: --interval " + *interval + ": " + text.Text(UiText::InvalidGpioInterval) +
                    " (allowed: 0 or 1000 to " + std::to_string(std::numeric_limits<std::int32_t>::max()) + " ms)";
            return std::nullopt;
        }
        changes.interval_ = static_cast<std::int32_t>(*ms);
    }
    if (sendToPeer) {
        const auto flag = kSwitchNames.Parse(*sendToPeer);
        if (!flag) {
            error = "gpio: --send-to-peer " + *sendToPeer + ": not allowed (allowed: " + kSwitchNames.Allowed() + ")";
            return std::nullopt;
        }
        changes.sendToPeer_ = static_cast<std::uint8_t>(*flag);
    }
    if (words.empty() && !interval && !sendToPeer) {
        error = "gpio: nothing to change (give PIN=MODE[:VALUE], --interval or --send-to-peer)";
        return std::nullopt;
    }
    error.clear();
    return changes;
}

void GpioChanges::ApplyTo(GpioSettings& record) const {
    for (std::uint8_t pin = 0; pin < kGpioPinCount; ++pin) {
        record.pins[pin].pin = pin;
        if (pins_[pin]) record.pins[pin] = *pins_[pin];
    }
    if (interval_) record.reportInterval = *interval_;
    record.sendToPeer = sendToPeer_.value_or(record.sendToPeer != 0 ? 1 : 0);
}

}  // namespace q470
