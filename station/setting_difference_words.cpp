#include "setting_difference_words.h"

#include "line_choices.h"
#include "setting_values.h"

namespace q470 {
namespace {

std::string SettingWord(const SettingCheck& check) {
    switch (check.setting) {
        case CheckedSetting::OpMode:
            return "mode";
        case CheckedSetting::NetRole:
            return "role";
        case CheckedSetting::PanId:
            return "panid";
        case CheckedSetting::UserPanId:
            return "upanid";
        case CheckedSetting::PhyId:
            return "phyid";
        case CheckedSetting::RfChannel:
            return "channel";
        case CheckedSetting::Uart:
            return "uart";
        case CheckedSetting::QuietMode:
            return "quiet";
        case CheckedSetting::RxPullUp:
            return "rx-pullup";
        case CheckedSetting::GpioPin:
            return "pin " + std::to_string(check.pin);
        case CheckedSetting::ReportInterval:
            return "interval";
        case CheckedSetting::SendToPeer:
            return "send-to-peer";
    }
    return "?";
}

std::string ValueWord(const SettingCheck& check, std::uint32_t value) {
    switch (check.setting) {
        case CheckedSetting::OpMode:
            return kOperationModeValues.NameOf(value);
        case CheckedSetting::NetRole:
            return kNetworkRoleValues.NameOf(value);
        case CheckedSetting::GpioPin: {
            const auto mode = static_cast<std::uint8_t>(value >> 8);
            return kGpioModeValues.NameOf(mode) + ":" + GpioValues(check.pin, mode).NameOf(value & 0xFFu);
        }
        default:
            return std::to_string(value);
    }
}

}  // namespace

SettingDifference DifferenceWords(const SettingCheck& check) {
    SettingDifference difference;
    difference.setting = SettingWord(check);
    if (check.setting == CheckedSetting::Uart) {
        difference.written = LineText(check.writtenLine);
        difference.readBack = check.readBackLine ? LineText(*check.readBackLine) : "-";
    } else {
        difference.written = ValueWord(check, check.written);
        difference.readBack = check.readBack ? ValueWord(check, *check.readBack) : "-";
    }
    return difference;
}

}  // namespace q470
