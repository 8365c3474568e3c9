#include "line_choices.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "setting_check.h"
#include "setting_values.h"

namespace q470 {
namespace {

TEST(SearchLines, MostCommonRateFirstAndEveryFormatOfTheThoroughSearchAfter8N1) {
    const auto quick = SearchLines(false);
    std::vector<std::uint32_t> rates;
    for (const auto& line : quick) {
        EXPECT_EQ(LineText(line).substr(LineText(line).find(' ')), " 8N1");
        rates.push_back(line.baudRate);
    }
    EXPECT_EQ(rates, (std::vector<std::uint32_t>{9600, 115200, 57600, 38400, 19200, 14400, 4800, 2400, 230400}));
    // Every rate the lists offer, each once.
    std::vector<std::uint32_t> offered;
    for (const SettingValue& rate : kBaudRateValues) offered.push_back(rate.code);
    std::sort(rates.begin(), rates.end());
    EXPECT_EQ(rates, offered);

    const auto thorough = SearchLines(true);
    ASSERT_EQ(thorough.size(), 9u * 6u);
    EXPECT_TRUE(std::equal(quick.begin(), quick.end(), thorough.begin(), SameLine));
    std::vector<std::string> formats;
    for (std::size_t i = 0; i < thorough.size(); i += 9) {
        const std::string text = LineText(thorough[i]);
        formats.push_back(text.substr(text.find(' ') + 1));
    }
    EXPECT_EQ(formats, (std::vector<std::string>{"8N1", "8N2", "8E1", "8O1", "8E2", "8O2"}));
}

// The nine probes of a port without a device fit in two seconds, and a slow line still gets room for
// its command and answer.
TEST(SearchLines, ProbeWaitsFitTheLine) {
    std::chrono::milliseconds total{0};
    for (const auto& line : SearchLines(false)) total += ProbeWait(line);
    EXPECT_LT(total, std::chrono::milliseconds(1800));
    EXPECT_GT(ProbeWait(ConnectionLine{2400, 8, 0, 0}), std::chrono::milliseconds(100 + 15 * 10 * 1000 / 2400));
}

TEST(LineText, DeviceAndChannelCodes) {
    EXPECT_EQ(LineText(ConnectionLine{115200, 8, 0, 0}), "115200 8N1");
    EXPECT_EQ(LineText(ConnectionLine{9600, 7, 2, 2}), "9600 7E2");
    EXPECT_EQ(LineText(ConnectionLine{2400, 8, 1, 0}), "2400 8O1");
    // The device codes even parity 1 and two stop bits 1.
    EXPECT_EQ(LineText(LineOfDeviceUart(19200, 8, 1, 1)), "19200 8E2");
    EXPECT_EQ(LineText(LineOfDeviceUart(19200, 8, 2, 0)), "19200 8O1");
    EXPECT_EQ(LineText(LineOfDeviceUart(19200, 8, 7, 0)), "19200 8N1");
    EXPECT_EQ(LineText(ConnectionLine{9600, 8, 3, 0}), "9600 8?1");
    // The device's and the line's codes turn into each other both ways.
    for (std::uint8_t line = 0; line <= 2; ++line) {
        EXPECT_EQ(LineOfDeviceUart(9600, 8, DeviceParity(line), 0).parity, line) << int{line};
    }
    for (std::uint8_t line : {0, 2}) {
        EXPECT_EQ(LineOfDeviceUart(9600, 8, 0, DeviceStopBits(line)).stopBits, line) << int{line};
    }
}

SettingItem Item(SettingItem item) {
    return item;
}

// A file's items become one check per setting the model's job sends; a later item of the same setting
// replaces an earlier one, and the UART item decides where the device answers after its restart.
TEST(SettingChecks, FromFileItems) {
    const SettingItemList items{
        OpModeItem(2),     RfChannelItem(10),       UartItem(115200, 1, 1, 8),    RfChannelItem(20),
        UserPanIdItem(77), GpioConfigItem(3, 1, 1), GpioPeriodicItem(2000, true), QuietModeItem(true)};
    const auto q470r = ChecksOfItems(items, true);
    ASSERT_EQ(q470r.size(), 7u);  // op mode, channel (once), UART, pin 3, interval, send-to-peer, quiet
    const auto channel =
        std::find_if(q470r.begin(), q470r.end(), [](const SettingCheck& c) { return c.setting == Setting::RfChannel; });
    EXPECT_EQ(channel->written, 20u);
    EXPECT_EQ(LineText(LineAfterRestart(q470r, ConnectionLine{})), "115200 8E2");

    const auto ks = ChecksOfItems(items, false);
    ASSERT_EQ(ks.size(), 4u);  // op mode, UART, user PAN ID, quiet
    EXPECT_EQ(ks[2].setting, Setting::UserPanId);
    EXPECT_EQ(LineText(LineAfterRestart(ChecksOfItems({Item(OpModeItem(1))}, true), ConnectionLine{4800, 8, 0, 0})),
              "4800 8N1");
}

TEST(SettingChecks, ReadBackComparedSettingBySetting) {
    GeneralSettings record;
    record.opMode = 2;
    record.panId = 4321;
    record.phyId = 12;
    record.rfChannel = 101;
    record.netRole = 1;
    record.baudRate = 115200;
    record.dataBits = 8;
    record.quietMode = 1;
    auto checks = ChecksOfGeneral(record, true, false);
    EXPECT_EQ(checks.size(), 7u);                                    // no RX pull-up on this firmware
    for (const auto& check : checks) EXPECT_FALSE(check.Matches());  // nothing read back yet

    DeviceState state;
    state.info.mode = 2;
    state.info.role = 1;
    state.network.panId = 4321;
    state.network.phyId = 12;
    state.network.rfChannel = 99;  // not kept
    FillReadBack(checks, state, 1, ConnectionLine{115200, 8, 0, 0});
    ASSERT_EQ(CountDifferences(checks), 1u);
    for (const auto& check : checks) EXPECT_EQ(check.Matches(), check.setting != Setting::RfChannel);

    FillReadBack(checks, state, 0, ConnectionLine{9600, 8, 0, 0});
    EXPECT_EQ(CountDifferences(checks), 3u);  // channel, quiet mode and the UART setting
}

}  // namespace
}  // namespace q470
