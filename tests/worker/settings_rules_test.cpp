#include "settings_rules.h"

#include <gtest/gtest.h>

#include "model_kind.h"

namespace q470 {
namespace {

TEST(SettingsRules, PanIdAndReportIntervalLimits) {
    for (std::uint64_t v : {0ull, 65534ull, 65535ull, 65536ull, 4294967296ull}) EXPECT_FALSE(IsValidPanIdValue(v)) << v;
    for (std::uint64_t v : {1ull, 1234ull, 65533ull}) EXPECT_TRUE(IsValidPanIdValue(v)) << v;
    for (std::int64_t v : {1ll, 500ll, 999ll, -1ll, 2147483648ll}) EXPECT_FALSE(IsAcceptedReportInterval(v)) << v;
    for (std::int64_t v : {0ll, 1000ll, 60000ll, 2147483647ll}) EXPECT_TRUE(IsAcceptedReportInterval(v)) << v;
}

TEST(SettingsRules, OperationModeBothWays) {
    EXPECT_EQ(OperationMode(true, false), 2);
    EXPECT_EQ(OperationMode(true, true), 4);
    EXPECT_EQ(OperationMode(false, false), 1);
    EXPECT_EQ(OperationMode(false, true), 3);
    // How the page shows a mode; anything unknown (0 included) is AT command 1:N.
    struct Case {
        std::uint8_t mode;
        bool atCommand;
        bool oneToN;
    };
    for (const Case& c : {Case{1, false, false}, Case{2, true, false}, Case{3, false, true}, Case{4, true, true},
                          Case{0, true, true}, Case{9, true, true}}) {
        EXPECT_EQ(IsAtCommandMode(c.mode), c.atCommand) << int{c.mode};
        EXPECT_EQ(IsOneToNMode(c.mode), c.oneToN) << int{c.mode};
    }
}

TEST(SettingsRules, ChannelPlans) {
    EXPECT_EQ(ChannelsForPhyId(8), (std::vector<std::uint8_t>{46, 47, 48, 49, 50, 51}));
    EXPECT_EQ(ChannelsForPhyId(5).size(), 13u);
    EXPECT_EQ(ChannelsForPhyId(2).front(), 93);
    EXPECT_EQ(ChannelsForPhyId(13), (std::vector<std::uint8_t>{99, 100, 101, 102, 103, 104, 105}));
    EXPECT_TRUE(ChannelsForPhyId(1).empty());
    EXPECT_EQ(DefaultChannelForPhyId(8), 46);
    EXPECT_EQ(DefaultChannelForPhyId(2), 99);
    EXPECT_EQ(DefaultChannelForPhyId(12), 99);
    EXPECT_FALSE(DefaultChannelForPhyId(0).has_value());
    EXPECT_EQ(ChannelText(12, 99), "A(99)");
    EXPECT_EQ(ChannelText(13, 105), "G(105)");
    EXPECT_EQ(ChannelText(5, 99), "99");
    EXPECT_EQ(ChannelText(8, 46), "46");
}

TEST(SettingsRules, OutdoorPhyIds) {
    for (std::uint8_t phy : {2, 5, 8}) EXPECT_TRUE(IsOutdoorPhyId(phy)) << int{phy};
    for (std::uint8_t phy : {0, 1, 12, 13}) EXPECT_FALSE(IsOutdoorPhyId(phy)) << int{phy};
    EXPECT_EQ(PhyIdForOutdoor(true), 2);
    EXPECT_EQ(PhyIdForOutdoor(false), 12);
}

TEST(SettingsRules, GpioModesAndValuesPerPin) {
    for (std::uint8_t pin : {2, 3, 4, 5, 6, 8, 9}) EXPECT_TRUE(HasAlternateFunction(pin)) << int{pin};
    for (std::uint8_t pin : {0, 1, 7, 10, 11, 12, 13}) EXPECT_FALSE(HasAlternateFunction(pin)) << int{pin};
    struct Case {
        std::uint8_t pin;
        std::uint8_t mode;
        std::uint8_t count;
    };
    for (const Case& c : {Case{0, 0, 3}, Case{12, 1, 2}, Case{2, 2, 2}, Case{3, 2, 1}, Case{9, 2, 1}, Case{0, 2, 0},
                          Case{7, 2, 0}, Case{4, 3, 0}, Case{13, 0, 0}}) {
        EXPECT_EQ(GpioValueCount(c.pin, c.mode), c.count) << "pin " << int{c.pin} << " mode " << int{c.mode};
    }
}

}  // namespace
}  // namespace q470

namespace q470 {
namespace {

// The PHY ID written back when nothing about the radio changed: the page's outdoor/indoor PHY ID only
// where it keeps the device's plan, so the device's channel stays allowed.
TEST(SettingsRules, PhyIdToApplyKeepsTheChannelPlan) {
    const std::pair<std::uint8_t, std::uint8_t> cases[] = {{2, 2},   {5, 2}, {8, 8}, {12, 12},
                                                           {13, 12}, {1, 1}, {0, 0}, {200, 200}};
    for (const auto& [device, written] : cases) {
        EXPECT_EQ(PhyIdToApply(device), written) << int{device};
        EXPECT_TRUE(SameChannelPlan(device, written)) << int{device};
    }
    EXPECT_FALSE(SameChannelPlan(8, 2));
    EXPECT_FALSE(SameChannelPlan(1, 3));
}

TEST(SettingsRules, ChannelsFollowThePlanOrTheHeldChannel) {
    EXPECT_EQ(AllowedChannels(8), (std::vector<ValueRange>{{46, 51}}));
    EXPECT_EQ(AllowedChannels(5), (std::vector<ValueRange>{{93, 105}}));
    EXPECT_EQ(AllowedChannels(13), (std::vector<ValueRange>{{99, 105}}));
    EXPECT_TRUE(AllowedChannels(1).empty());
    // Without a plan only the channel the device holds may stay, and only on its own PHY ID.
    EXPECT_EQ(AllowedChannels(1, RadioPlan{1, 7}), (std::vector<ValueRange>{{7, 7}}));
    EXPECT_TRUE(AllowedChannels(3, RadioPlan{1, 7}).empty());
    // A plan is never widened by what the device holds.
    EXPECT_EQ(AllowedChannels(8, RadioPlan{8, 99}), (std::vector<ValueRange>{{46, 51}}));
}

TEST(SettingsRules, GeneralRecordsAreCheckedForWhatTheirModelsJobSends) {
    GeneralSettings q470r;
    q470r.modelKind = ModelQ470R;
    q470r.opMode = 2;
    q470r.netRole = 1;
    q470r.panId = 1234;
    q470r.phyId = 8;
    q470r.rfChannel = 50;
    q470r.baudRate = 9600;
    q470r.dataBits = 8;
    q470r.firmwareVersion = "1.5.0";
    EXPECT_TRUE(CheckGeneralSettings(q470r, {8, 50}).empty());

    struct Case {
        const char* name;
        void (*change)(GeneralSettings&);
        Setting field;
    };
    const Case cases[] = {
        {"operation mode", [](GeneralSettings& r) { r.opMode = 0; }, Setting::OpMode},
        {"PAN ID", [](GeneralSettings& r) { r.panId = 65535; }, Setting::PanId},
        {"PHY ID", [](GeneralSettings& r) { r.phyId = 0; }, Setting::PhyId},
        {"channel of another plan", [](GeneralSettings& r) { r.phyId = 2; }, Setting::RfChannel},
        {"channel outside the plan it holds", [](GeneralSettings& r) { r.rfChannel = 52; }, Setting::RfChannel},
        {"network role", [](GeneralSettings& r) { r.netRole = 0; }, Setting::NetRole},
        {"baud rate", [](GeneralSettings& r) { r.baudRate = 1200; }, Setting::BaudRate},
        {"stop bits", [](GeneralSettings& r) { r.stopBits = 2; }, Setting::StopBits},
        {"parity", [](GeneralSettings& r) { r.parity = 3; }, Setting::Parity},
        {"data bits", [](GeneralSettings& r) { r.dataBits = 6; }, Setting::DataBits},
        {"RX pull-up", [](GeneralSettings& r) { r.rxPullUp = 2; }, Setting::RxPullUp},
        {"quiet mode", [](GeneralSettings& r) { r.quietMode = 2; }, Setting::QuietMode},
    };
    for (const auto& c : cases) {
        GeneralSettings record = q470r;
        c.change(record);
        // The held radio is the record's own, so a PHY ID change alone does not also refuse the channel.
        const SettingProblems problems = CheckGeneralSettings(record, {record.phyId, 50});
        ASSERT_EQ(problems.size(), 1u) << c.name;
        EXPECT_EQ(problems[0].field, c.field) << c.name;
        EXPECT_EQ(problems[0].member, "") << c.name;
    }
    // Firmware without RX pull-up never gets it sent, so its value is not looked at; nor is it on a
    // device whose read found none although its firmware has it.
    GeneralSettings old = q470r;
    old.firmwareVersion = "1.4.9";
    old.rxPullUp = 2;
    EXPECT_TRUE(CheckGeneralSettings(old, {8, 50}).empty());
    GeneralSettings without = q470r;
    without.firmwareVersion = "2.0.0";
    without.rxPullUpMissing = true;
    without.rxPullUp = 2;
    EXPECT_TRUE(CheckGeneralSettings(without, {8, 50}).empty());
    // A KELDAN's job sends no PAN ID, PHY ID, channel, role or RX pull-up: only its user PAN ID counts.
    GeneralSettings keldan = q470r;
    keldan.modelKind = ModelKs410;
    keldan.panId = 0;
    keldan.phyId = 0;
    keldan.netRole = 0;
    keldan.userPanId = 0;
    const SettingProblems problems = CheckGeneralSettings(keldan, {0, 50});
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].field, Setting::UserPanId);
}

TEST(SettingsRules, GpioRecordsAreCheckedPinByPin) {
    GpioSettings record;
    for (std::uint8_t pin = 0; pin < kGpioPinCount; ++pin) record.pins[pin] = {pin, 0, 0};
    record.pins[2] = {2, 2, 1};
    record.reportInterval = 1000;
    record.sendToPeer = 1;
    EXPECT_TRUE(CheckGpioSettings(record).empty());

    record.pins[7] = {7, 2, 0};
    record.pins[5] = {5, 1, 2};
    record.pins[12] = {13, 0, 0};
    record.reportInterval = 999;
    record.sendToPeer = 2;
    const SettingProblems problems = CheckGpioSettings(record);
    ASSERT_EQ(problems.size(), 5u);
    EXPECT_EQ(problems[0].field, Setting::GpioValue);
    EXPECT_EQ(problems[0].pin, 5);
    EXPECT_EQ(problems[0].allowed, (std::vector<ValueRange>{{0, 1}}));
    EXPECT_EQ(problems[1].field, Setting::GpioMode);
    EXPECT_EQ(problems[1].pin, 7);
    EXPECT_EQ(problems[1].note, RuleNote::ModesOfPin);
    EXPECT_EQ(problems[2].field, Setting::GpioPin);
    EXPECT_EQ(problems[3].field, Setting::ReportInterval);
    EXPECT_EQ(problems[4].field, Setting::SendRemote);
}

// The device session names each step by the setting of its set command; every set command of a row must
// lead back to that row's command, and a command that writes no setting to none.
TEST(SettingTable, SetCommandsLeadToTheirSettings) {
    for (const SettingRow& row : SettingRows()) {
        const SettingRow* first = RowOfSetCommand(row.set);
        ASSERT_NE(first, nullptr) << row.key;
        EXPECT_EQ(first->set, row.set) << row.key;
    }
    EXPECT_EQ(RowOfSetCommand(CmdUartSet)->setting, Setting::BaudRate);
    EXPECT_EQ(RowsOfSetCommand(CmdUartSet).size(), 4u);
    EXPECT_EQ(RowOfSetCommand(CmdGpioConfigSet)->setting, Setting::GpioPin);
    EXPECT_EQ(RowOfSetCommand(CmdUserPanIdSet)->setting, Setting::UserPanId);
    for (const std::int32_t command : {CmdAt, CmdRestart, CmdFactoryReset, CmdInfoQuery}) {
        EXPECT_EQ(RowOfSetCommand(command), nullptr) << command;
    }
}

// RX pull-up depends on the model, the firmware and what the read found; the others on the model alone.
TEST(SettingTable, WhichDevicesHaveASetting) {
    struct Case {
        DeviceFacts device;
        Setting setting;
        bool has;
    };
    const Case cases[] = {
        {{ModelQ470R, "1.5.0", false}, Setting::RxPullUp, true},
        {{ModelQ470R, "2.0.0", false}, Setting::RxPullUp, true},
        {{ModelQ470R, "1.4.9", false}, Setting::RxPullUp, false},
        {{ModelQ470R, "1.5", false}, Setting::RxPullUp, false},
        {{ModelQ470R, "1.5.0", true}, Setting::RxPullUp, false},
        {{ModelKs410, "1.5.0", false}, Setting::RxPullUp, false},
        {{ModelQ470R, "", false}, Setting::PanId, true},
        {{ModelQ470R, "", false}, Setting::UserPanId, false},
        {{ModelKs400, "", false}, Setting::UserPanId, true},
        {{ModelKs410, "", false}, Setting::RfChannel, false},
        {{ModelKs410, "", false}, Setting::BaudRate, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DeviceHas(c.device, c.setting), c.has)
            << c.device.modelKind << " " << c.device.firmware << " " << RowOf(c.setting).checkName;
    }
}

}  // namespace
}  // namespace q470
