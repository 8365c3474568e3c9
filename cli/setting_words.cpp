#include "setting_words.h"

#include "decimal_number.h"
#include "setting_values.h"
#include "settings_rules.h"

namespace q470 {
namespace {

// A word that is a number (a baud rate, data bits, a value without a name) is printed as one.
SettingWord Named(const char* key, const SettingValues& names, std::uint32_t value) {
    const std::string word = names.NameOf(value);
    const auto number = ParseDecimal(word, UINT32_MAX);
    return {key, number ? SettingWord::Kind::Number : SettingWord::Kind::Word, word, number.value_or(value), false};
}

SettingWord Number(const char* key, std::uint64_t value) {
    return {key, SettingWord::Kind::Number, std::to_string(value), value, false};
}

SettingWord Switch(const char* key, bool on) {
    return {key, SettingWord::Kind::Switch, on ? "1" : "0", on ? 1u : 0u, on};
}

}  // namespace

std::vector<SettingWord> GeneralSettingWords(const GeneralSettings& general) {
    std::vector<SettingWord> words;
    const DeviceFacts device = FactsOf(general);
    for (const SettingRow& row : SettingRows()) {
        if (row.page != Page::General || !DeviceHas(device, row.setting)) continue;
        const auto value = static_cast<std::uint32_t>(GeneralValue(general, row.setting));
        const char* key = row.key.data();  // the table's keys are literals
        if (row.keyIsOutdoorFlag) {
            words.push_back(Switch(key, IsOutdoorPhyId(static_cast<std::uint8_t>(value))));
        } else if (row.boolean) {
            words.push_back(Switch(key, value != 0));
        } else if (row.values != nullptr) {
            words.push_back(Named(key, *row.values, value));
        } else {
            words.push_back(Number(key, value));
        }
    }
    return words;
}

std::vector<PinWords> GpioPinWords(const GpioSettings& gpio) {
    std::vector<PinWords> pins;
    for (const auto& pin : gpio.pins) {
        pins.push_back(
            {int{pin.pin}, kGpioModeValues.NameOf(pin.ioMode), GpioValues(pin.pin, pin.ioMode).NameOf(pin.pinConfig)});
    }
    return pins;
}

}  // namespace q470
