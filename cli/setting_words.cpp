#include "setting_words.h"

#include "decimal_number.h"
#include "model_kind.h"
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
    const bool q470r = general.modelKind == ModelQ470R;
    std::vector<SettingWord> words{Named("mode", kOperationModeValues, general.opMode)};
    if (q470r) {
        words.push_back(Named("role", kNetworkRoleValues, general.netRole));
        words.push_back(Number("panid", general.panId));
        words.push_back(Switch("outdoor", IsOutdoorPhyId(general.phyId)));
        words.push_back(Number("channel", general.rfChannel));
    } else {
        words.push_back(Number("upanid", general.userPanId));
    }
    words.push_back(Named("baud", kBaudRateValues, general.baudRate));
    words.push_back(Named("parity", kDeviceParityValues, general.parity));
    words.push_back(Named("stop-bits", kDeviceStopBitValues, general.stopBits));
    words.push_back(Named("data-bits", kDataBitValues, general.dataBits));
    words.push_back(Switch("quiet", general.quietMode != 0));
    if (RecordHasRxPullUp(general)) words.push_back(Switch("rx-pullup", general.rxPullUp != 0));
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
