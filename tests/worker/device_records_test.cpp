#include "device_records.h"

#include <gtest/gtest.h>

#include "model_kind.h"
#include "settings_rules.h"

namespace q470 {
namespace {

DeviceState SampleState() {
    DeviceState state;
    state.info = {0x00124B001A2B3C4Dull, 2, 1, 0, 1};
    state.network = {12, 101, 4660, 0, 1, 0};
    state.quietMode = 1;
    state.firmwareVersion = u"1.5.0";
    state.rxPullUp = 1;
    state.gpio[3] = {3, 1, 1};
    state.reportInterval = 60000;
    state.sendRemote = 0x101;  // only the low byte is the flag
    return state;
}

TEST(DeviceRecords, LineSettingsConvertToTheDeviceCodes) {
    struct Case {
        std::uint8_t parity, stopBits, dataBits;
        std::uint8_t deviceParity, deviceStopBits, deviceDataBits;
    };
    const Case cases[] = {
        {0, 0, 8, 0, 0, 8},  // none, one, 8
        {1, 2, 7, 2, 1, 7},  // odd → 2, two → 1
        {2, 1, 8, 1, 0, 8},  // even → 1, one and a half shown as one
        {9, 9, 5, 0, 0, 8},  // anything else
    };
    for (const auto& c : cases) {
        const auto record = GeneralSettingsFromDevice(SampleState(), {19200, c.dataBits, c.parity, c.stopBits}, true);
        EXPECT_EQ(record.baudRate, 19200u);
        EXPECT_EQ(record.parity, c.deviceParity);
        EXPECT_EQ(record.stopBits, c.deviceStopBits);
        EXPECT_EQ(record.dataBits, c.deviceDataBits);
    }
}

TEST(DeviceRecords, ReadJobDecidesFirmwareAndRxPullUp) {
    const auto q470r = GeneralSettingsFromDevice(SampleState(), {}, true);
    EXPECT_EQ(q470r.firmwareVersion, "1.5.0");
    EXPECT_EQ(q470r.rxPullUp, 1);
    EXPECT_EQ(q470r.extendedAddress, 0x00124B001A2B3C4Dull);
    EXPECT_EQ(q470r.opMode, 2);
    EXPECT_EQ(q470r.rfChannel, 101);
    EXPECT_EQ(q470r.panId, 4660);
    EXPECT_EQ(q470r.channelMode, 1);
    EXPECT_EQ(q470r.quietMode, 1);
    const auto ks = GeneralSettingsFromDevice(SampleState(), {}, false);
    EXPECT_EQ(ks.firmwareVersion, "");
    EXPECT_EQ(ks.rxPullUp, 0);

    const auto gpio = GpioSettingsFromDevice(SampleState());
    EXPECT_EQ(gpio.reportInterval, 60000);
    EXPECT_EQ(gpio.sendToPeer, 1);
    EXPECT_EQ(gpio.pins[3].ioMode, 1);
}

// The page, set and the record check ask the record; the jobs ask the device state: both give the
// same answer, also for a device whose read found no RX pull-up although its firmware has it.
TEST(DeviceRecords, RecordAndDeviceStateAgreeOnRxPullUp) {
    struct Case {
        std::uint32_t model;
        const char16_t* firmware;
        bool missing;
        bool has;
    };
    const Case cases[] = {
        {ModelQ470R, u"1.5.0", false, true},  {ModelQ470R, u"2.0.0", false, true},
        {ModelQ470R, u"2.0.0", true, false},  {ModelQ470R, u"1.4.9", false, false},
        {ModelKs410, u"1.5.0", false, false}, {ModelKs400, u"2.0.0", false, false},
    };
    for (const auto& c : cases) {
        DeviceState state = SampleState();
        state.modelKind = c.model;
        state.firmwareVersion = c.firmware;
        state.rxPullUpMissing = c.missing;
        const auto record = GeneralSettingsFromDevice(state, {}, c.model == ModelQ470R);
        EXPECT_EQ(DeviceHasRxPullUp(state), c.has);
        EXPECT_EQ(RecordHasRxPullUp(record), c.has);
    }
}

TEST(DeviceRecords, IdentityTexts) {
    EXPECT_EQ(FormatExtendedAddress(0x00124B001A2B3C4Dull), "00:12:4B:00:1A:2B:3C:4D");
    EXPECT_EQ(FormatExtendedAddress(0xFFFFFFFFFFFFFFFFull), "FF:FF:FF:FF:FF:FF:FF:FF");
    DeviceState state = SampleState();
    EXPECT_EQ(DeviceStatusText(state, "setting mode"), "Q470R/RX, ACTIVE");
    state.info.linkState = 1;
    state.info.normalMode = 0;
    EXPECT_EQ(DeviceStatusText(state, "설정 모드"), "Q470R/RX, INACTIVE, 설정 모드");
    state.modelKind = ModelKs410;
    state.info.linkState = 7;  // anything but 0 is inactive
    EXPECT_EQ(DeviceStatusText(state, "x"), "KELDAN-KS410, INACTIVE, x");
}

}  // namespace
}  // namespace q470
