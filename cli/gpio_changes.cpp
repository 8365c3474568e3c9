#include "gpio_changes.h"

#include <limits>
#include <string_view>

#include "decimal_number.h"
#include "setting_values.h"
#include "settings_rules.h"

namespace q470 {
namespace {

constexpr std::uint64_t kLastPin = kGpioPinCount - 1;

std::string ModesOf(std::uint8_t pin, const CliText& text) {
    return text.Text(HasAlternateFunction(pin) ? ToolText::GpioModesWithAlt : ToolText::GpioModes);
}

// "PIN=MODE[:VALUE]" → entry; "" or the message.
std::string ParsePin(const std::string& word, std::optional<GpioEntry>& entry, const CliText& text) {
    const auto equals = word.find('=');
    const auto pin =
        equals == std::string::npos ? std::nullopt : ParseDecimal(std::string_view(word).substr(0, equals), kLastPin);
    if (!pin) return text.Text(ToolText::GpioNotPinWord, {word});
    const std::uint8_t index = static_cast<std::uint8_t>(*pin);

    const std::string_view setting = std::string_view(word).substr(equals + 1);
    const auto colon = setting.find(':');
    const std::string_view modeWord = setting.substr(0, colon);
    const auto mode = kGpioModeValues.Parse(modeWord);
    if (!mode || GpioValueCount(index, static_cast<std::uint8_t>(*mode)) == 0) {
        return text.Text(ToolText::GpioNoSuchMode, {word, std::to_string(index), modeWord, ModesOf(index, text)});
    }
    const std::uint8_t ioMode = static_cast<std::uint8_t>(*mode);
    std::uint32_t value = 0;
    if (colon != std::string_view::npos) {
        const SettingValues& names = GpioValues(index, ioMode);
        const auto parsed = names.Parse(setting.substr(colon + 1));
        if (!parsed || *parsed >= GpioValueCount(index, ioMode)) {
            return text.Text(ToolText::GpioNotAValue, {word, names.Words()});
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
        error = ParsePin(word, entry, text);
        if (!error.empty()) return std::nullopt;
        if (changes.pins_[entry->pin]) {
            error = text.Text(ToolText::GpioPinTwice, {std::to_string(entry->pin)});
            return std::nullopt;
        }
        changes.pins_[entry->pin] = entry;
    }
    if (interval) {
        const auto ms = ParseDecimal(*interval, std::numeric_limits<std::int32_t>::max());
        if (!ms || !IsAcceptedReportInterval(static_cast<std::int64_t>(*ms))) {
            error = text.Text(ToolText::GpioBadInterval, {*interval, text.Text(UiText::InvalidGpioInterval),
                                                          std::to_string(std::numeric_limits<std::int32_t>::max()),
                                                          std::to_string(kShortestReportIntervalMs)});
            return std::nullopt;
        }
        changes.interval_ = static_cast<std::int32_t>(*ms);
    }
    if (sendToPeer) {
        const auto flag = kSwitchValues.Parse(*sendToPeer);
        if (!flag) {
            error = "gpio: " +
                    text.Text(ToolText::ValueNotAllowed, {"--send-to-peer " + *sendToPeer, kSwitchValues.Words()});
            return std::nullopt;
        }
        changes.sendToPeer_ = static_cast<std::uint8_t>(*flag);
    }
    if (words.empty() && !interval && !sendToPeer) {
        error = text.Text(ToolText::GpioNothing);
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
