#include "device_records.h"

#include <cstdio>

#include "model_kind.h"
#include "narrow_text.h"
#include "setting_values.h"

namespace q470 {

std::uint8_t DeviceParity(std::uint8_t connectionParity) {
    return static_cast<std::uint8_t>(
        TranslateCode(kLineParityValues, connectionParity, kDeviceParityValues).value_or(0));
}

// One and a half stop bits has no word: it is shown as one.
std::uint8_t DeviceStopBits(std::uint8_t connectionStopBits) {
    return static_cast<std::uint8_t>(
        TranslateCode(kLineStopBitValues, connectionStopBits, kDeviceStopBitValues).value_or(0));
}

std::uint8_t DeviceDataBits(std::uint8_t connectionDataBits) {
    return connectionDataBits == 7 ? 7 : 8;
}

GeneralSettings GeneralSettingsFromDevice(const DeviceState& state, const ConnectionLine& line, bool afterQ470RRead) {
    GeneralSettings record;
    record.extendedAddress = state.info.extendedAddress;
    record.opMode = state.info.mode;
    record.netRole = state.info.role;
    record.linkState = state.info.linkState;
    record.normalMode = state.info.normalMode;
    record.phyId = state.network.phyId;
    record.rfChannel = state.network.rfChannel;
    record.panId = state.network.panId;
    record.userPanId = state.network.userPanId;
    record.channelMode = state.network.channelMode;
    record.spare = state.network.spare;
    record.baudRate = line.baudRate;
    record.parity = DeviceParity(line.parity);
    record.stopBits = DeviceStopBits(line.stopBits);
    record.dataBits = DeviceDataBits(line.dataBits);
    record.quietMode = state.quietMode;
    record.modelKind = state.modelKind;
    if (afterQ470RRead) {
        record.rxPullUp = state.rxPullUp;
        record.firmwareVersion = WideToNarrow(state.firmwareVersion);
        record.rxPullUpMissing = state.rxPullUpMissing;
    }
    return record;
}

GpioSettings GpioSettingsFromDevice(const DeviceState& state) {
    GpioSettings record;
    record.pins = state.gpio;
    record.reportInterval = static_cast<std::int32_t>(state.reportInterval);
    record.sendToPeer = static_cast<std::uint8_t>(state.sendRemote & 0xFFu);
    return record;
}

std::string FormatExtendedAddress(std::uint64_t address) {
    char text[24];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X:%02X:%02X",
                  static_cast<unsigned>(address >> 56) & 0xFFu, static_cast<unsigned>(address >> 48) & 0xFFu,
                  static_cast<unsigned>(address >> 40) & 0xFFu, static_cast<unsigned>(address >> 32) & 0xFFu,
                  static_cast<unsigned>(address >> 24) & 0xFFu, static_cast<unsigned>(address >> 16) & 0xFFu,
                  static_cast<unsigned>(address >> 8) & 0xFFu, static_cast<unsigned>(address) & 0xFFu);
    return text;
}

std::string DeviceStatusText(const DeviceState& state, const std::string& settingModeText) {
    std::string text = ModelLabel(state.modelKind);
    text += state.info.linkState == 0 ? ", ACTIVE" : ", INACTIVE";
    if (state.info.normalMode == 0) text += ", " + settingModeText;
    return text;
}

}  // namespace q470
