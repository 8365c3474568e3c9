#include "setting_check_words.h"

#include "line_choices.h"
#include "setting_table.h"
#include "setting_values.h"

namespace q470 {
namespace {

std::string ValueText(const SettingCheck& check, std::uint32_t value) {
    switch (check.setting) {
        case Setting::OpMode:
            return kOperationModeValues.NameOf(value);
        case Setting::NetRole:
            return kNetworkRoleValues.NameOf(value);
        case Setting::GpioPin: {
            const auto mode = static_cast<std::uint8_t>(value >> 8);
            return kGpioModeValues.NameOf(mode) + ":" + GpioValues(check.pin, mode).NameOf(value & 0xFFu);
        }
        default:
            return std::to_string(value);
    }
}

}  // namespace

std::string CheckedSettingName(const SettingCheck& check) {
    const std::string name(RowOf(check.setting).checkName);
    return check.setting == Setting::GpioPin ? name + " " + std::to_string(check.pin) : name;
}

std::string WrittenText(const SettingCheck& check) {
    if (check.IsLine()) return LineText(check.writtenLine);
    return ValueText(check, check.written);
}

std::string ReadBackText(const SettingCheck& check) {
    if (check.IsLine()) return check.readBackLine ? LineText(*check.readBackLine) : "-";
    return check.readBack ? ValueText(check, *check.readBack) : "-";
}

}  // namespace q470
