#include "general_changes.h"
#include "gpio_changes.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "model_kind.h"
#include "setting_values.h"
#include "settings_rules.h"

namespace q470 {
namespace {

const CliText kEnglish{UiLanguage::English};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

GeneralChanges ParseGeneral(const std::vector<std::string>& words) {
    std::string error;
    auto changes = GeneralChanges::Parse(words, kEnglish, error);
    EXPECT_TRUE(changes.has_value()) << error;
    return changes.value_or(GeneralChanges());
}

// A Q470R record as a read leaves it.
GeneralSettings Q470RRecord() {
    GeneralSettings record;
    record.modelKind = ModelQ470R;
    record.opMode = 2;
    record.netRole = 1;
    record.phyId = 12;
    record.rfChannel = 99;
    record.panId = 1234;
    record.baudRate = 9600;
    record.dataBits = 8;
    record.firmwareVersion = "1.5.0";
    return record;
}

// The words set and gpio take stand for exactly the values the shared rules allow.
TEST(SettingValues, NameExactlyTheValuesTheRulesAllow) {
    struct Case {
        const SettingValues& names;
        Setting field;
    };
    const Case cases[] = {
        {kOperationModeValues, Setting::OpMode}, {kNetworkRoleValues, Setting::NetRole},
        {kDeviceParityValues, Setting::Parity},  {kDeviceStopBitValues, Setting::StopBits},
        {kDataBitValues, Setting::DataBits},     {kSwitchValues, Setting::QuietMode},
        {kBaudRateValues, Setting::BaudRate},    {kGpioModeValues, Setting::GpioMode},
    };
    for (const auto& c : cases) {
        std::vector<std::int64_t> named;
        for (const SettingValue& row : c.names) {
            EXPECT_TRUE(IsInRanges(row.code, AllowedValues(c.field))) << row.word;
            named.push_back(row.code);
        }
        for (const auto& range : AllowedValues(c.field)) {
            for (std::int64_t value = range.first; value <= range.last; ++value) {
                EXPECT_NE(std::find(named.begin(), named.end(), value), named.end()) << value;
            }
        }
    }
    for (std::uint8_t pin = 0; pin < kGpioPinCount; ++pin) {
        for (std::uint8_t mode = 0; mode <= 2; ++mode) {
            const SettingValues& names = GpioValues(pin, mode);
            for (const SettingValue& row : names) {
                EXPECT_EQ(IsInRanges(row.code, AllowedGpioValues(pin, mode)), IsInRanges(mode, AllowedGpioModes(pin)))
                    << int{pin} << " " << int{mode};
            }
        }
    }
}

TEST(GeneralChanges, RefusedWordsNameTheKeyAndWhatIsAllowed) {
    struct Case {
        std::vector<std::string> words;
        std::vector<std::string> inMessage;
    };
    const Case cases[] = {
        {{"panid=0"}, {"panid=0", "1 to 65533", "Invalid PAN ID value"}},
        {{"panid=65534"}, {"panid=65534", "1 to 65533"}},
        {{"upanid=65535"}, {"upanid=65535", "1 to 65533"}},
        {{"panid=-1"}, {"panid=-1"}},
        {{"mode=5"}, {"mode=5", "p2p, p2pcmd, multi, multicmd"}},
        {{"role=boss"}, {"role=boss", "master, slave"}},
        {{"baud=1200"}, {"baud=1200", "2400", "230400"}},
        {{"parity=mark"}, {"parity=mark", "none, odd, even"}},
        {{"stop-bits=3"}, {"stop-bits=3", "1, 2"}},
        {{"data-bits=9"}, {"data-bits=9", "7, 8"}},
        {{"quiet=yes"}, {"quiet=yes", "0, 1, off, on, false, true"}},
        {{"channel=x"}, {"channel=x"}},
        {{"volume=3"}, {"'volume=3'", "mode, role, panid"}},
        {{"panid"}, {"'panid'", "KEY=VALUE"}},
        {{"panid=1", "panid=2"}, {"panid is given twice"}},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(GeneralChanges::Parse(c.words, kEnglish, error).has_value()) << c.words.front();
        for (const auto& part : c.inMessage) EXPECT_TRUE(Contains(error, part)) << error;
    }
}

TEST(GeneralChanges, EachModelTakesOnlyTheKeysItsPageEdits) {
    EXPECT_TRUE(Contains(ParseGeneral({"upanid=5"}).CheckModel(ModelQ470R, kEnglish), "use panid="));
    EXPECT_EQ(ParseGeneral({"panid=5", "role=slave", "channel=100", "outdoor=1", "rx-pullup=1"})
                  .CheckModel(ModelQ470R, kEnglish),
              "");
    for (const char* word : {"panid=5", "role=slave", "channel=100", "outdoor=1", "rx-pullup=1"}) {
        const std::string error = ParseGeneral({word}).CheckModel(ModelKs400, kEnglish);
        EXPECT_TRUE(Contains(error, "keys for the KELDAN-KS400: mode, upanid, baud")) << word << ": " << error;
    }
    EXPECT_EQ(ParseGeneral({"upanid=5", "mode=multi", "quiet=1"}).CheckModel(ModelKs410, kEnglish), "");
}

TEST(GeneralChanges, UnchangedFieldsGoThroughThePageRules) {
    struct Case {
        const char* name;
        std::uint8_t phyId, opMode, netRole;
        std::uint8_t wantPhyId, wantOpMode, wantNetRole;
    };
    const Case cases[] = {
        {"as read", 12, 2, 1, 12, 2, 1},
        {"PHY ID 13 is written as 12", 13, 1, 2, 12, 1, 2},
        {"outdoor PHY IDs are written as 2", 5, 3, 1, 2, 3, 1},
        {"an unknown mode shows and is written as AT command 1:N", 12, 0, 1, 12, 4, 1},
        {"any role but master is slave", 12, 4, 0, 12, 4, 2},
    };
    for (const auto& c : cases) {
        GeneralSettings record = Q470RRecord();
        record.phyId = c.phyId;
        record.opMode = c.opMode;
        record.netRole = c.netRole;
        record.rfChannel = 100;  // in the plan of every PHY ID used here
        ASSERT_EQ(ParseGeneral({"quiet=1"}).ApplyTo(record, kEnglish), "") << c.name;
        EXPECT_EQ(record.phyId, c.wantPhyId) << c.name;
        EXPECT_EQ(record.opMode, c.wantOpMode) << c.name;
        EXPECT_EQ(record.netRole, c.wantNetRole) << c.name;
        EXPECT_EQ(record.rfChannel, 100) << c.name;
        EXPECT_EQ(record.quietMode, 1) << c.name;
    }
}

TEST(GeneralChanges, KeysChangeTheRecordInDeviceCodes) {
    GeneralSettings record = Q470RRecord();
    ASSERT_EQ(ParseGeneral({"mode=multi", "role=slave", "panid=65533", "channel=105", "baud=115200", "parity=odd",
                            "stop-bits=2", "data-bits=7", "rx-pullup=on"})
                  .ApplyTo(record, kEnglish),
              "");
    EXPECT_EQ(record.opMode, 3);
    EXPECT_EQ(record.netRole, 2);
    EXPECT_EQ(record.panId, 65533);
    EXPECT_EQ(record.rfChannel, 105);
    EXPECT_EQ(record.baudRate, 115200u);
    EXPECT_EQ(record.parity, 2);    // odd
    EXPECT_EQ(record.stopBits, 1);  // two
    EXPECT_EQ(record.dataBits, 7);
    EXPECT_EQ(record.rxPullUp, 1);

    GeneralSettings keldan = Q470RRecord();
    keldan.modelKind = ModelKs410;
    keldan.userPanId = 4660;
    ASSERT_EQ(ParseGeneral({"upanid=77"}).ApplyTo(keldan, kEnglish), "");
    EXPECT_EQ(keldan.userPanId, 77);
    EXPECT_EQ(keldan.panId, 1234) << "the other PAN ID field keeps its value";
}

TEST(GeneralChanges, RecordsThePageWouldRefuseAreRefused) {
    struct Case {
        const char* name;
        std::vector<std::string> words;
        void (*prepare)(GeneralSettings&);
        std::vector<std::string> inMessage;
    };
    const Case cases[] = {
        {"a channel outside the plan",
         {"channel=50"},
         [](GeneralSettings&) {},
         {"channel 50", "PHY ID 12", "99 to 105"}},
        {"the plan of PHY ID 8", {"channel=99"}, [](GeneralSettings& r) { r.phyId = 8; }, {"PHY ID 8", "46 to 51"}},
        {"a PHY ID without a plan",
         {"channel=99"},
         [](GeneralSettings& r) {
             r.phyId = 1;
             r.rfChannel = 7;
         },
         {"PHY ID 1", "allowed: 7)"}},
        {"leaving the outdoor plan with its channel",
         {"outdoor=0"},
         [](GeneralSettings& r) {
             r.phyId = 8;
             r.rfChannel = 46;
         },
         {"channel 46", "PHY ID 12"}},
        {"RX pull-up before firmware 1.5",
         {"rx-pullup=1"},
         [](GeneralSettings& r) { r.firmwareVersion = "1.4.9"; },
         {"rx-pullup", "1.4.9"}},
        {"a PAN ID the page would refuse",
         {"quiet=1"},
         [](GeneralSettings& r) { r.panId = 65534; },
         {"PAN ID 65534", "panid="}},
    };
    for (const auto& c : cases) {
        GeneralSettings record = Q470RRecord();
        c.prepare(record);
        const std::string error = ParseGeneral(c.words).ApplyTo(record, kEnglish);
        for (const auto& part : c.inMessage) EXPECT_TRUE(Contains(error, part)) << c.name << ": " << error;
    }
    GeneralSettings outdoor = Q470RRecord();
    ASSERT_EQ(ParseGeneral({"outdoor=1", "channel=93"}).ApplyTo(outdoor, kEnglish), "");
    EXPECT_EQ(outdoor.phyId, 2);
    EXPECT_EQ(outdoor.rfChannel, 93);
}

// Unless outdoor= changes the plan, the radio goes back as the device holds it: the page's PHY ID where
// it keeps the plan (5 → 2, 13 → 12), the device's own where it would not, and the device's channel.
TEST(GeneralChanges, AnUntouchedRadioKeepsTheDevicesPlan) {
    struct Case {
        const char* name;
        std::uint8_t phyId;
        std::uint8_t channel;
        std::vector<std::string> words;
        std::uint8_t wantPhyId;  // 0: refused
        std::uint8_t wantChannel;
    };
    const Case cases[] = {
        {"PHY ID 8 keeps its plan", 8, 50, {"quiet=1"}, 8, 50},
        {"PHY ID 5 is written as 2", 5, 100, {"quiet=1"}, 2, 100},
        {"PHY ID 13 is written as 12", 13, 104, {"quiet=1"}, 12, 104},
        {"a PHY ID without a plan stays", 1, 7, {"quiet=1"}, 1, 7},
        {"a channel the plan lacks is not written back", 5, 50, {"quiet=1"}, 0, 0},
        {"a new channel of the same plan", 8, 50, {"channel=47"}, 8, 47},
        {"leaving the outdoor plan with a channel of the new one", 8, 50, {"outdoor=0", "channel=101"}, 12, 101},
        {"leaving the outdoor plan without one", 8, 50, {"outdoor=0"}, 0, 0},
        {"going outdoor", 12, 99, {"outdoor=1", "channel=93"}, 2, 93},
    };
    for (const auto& c : cases) {
        GeneralSettings record = Q470RRecord();
        record.phyId = c.phyId;
        record.rfChannel = c.channel;
        const std::string error = ParseGeneral(c.words).ApplyTo(record, kEnglish);
        if (c.wantPhyId == 0) {
            EXPECT_TRUE(Contains(error, "is not in the channel plan")) << c.name << ": " << error;
            continue;
        }
        ASSERT_EQ(error, "") << c.name;
        EXPECT_EQ(record.phyId, c.wantPhyId) << c.name;
        EXPECT_EQ(record.rfChannel, c.wantChannel) << c.name;
        EXPECT_TRUE(CheckGeneralSettings(record, {c.phyId, c.channel}).empty()) << c.name;
    }
}

TEST(GpioChanges, RefusedWordsNameThePinAndWhatIsAllowed) {
    struct Case {
        std::vector<std::string> words;
        std::optional<std::string> interval;
        std::optional<std::string> sendToPeer;
        std::vector<std::string> inMessage;
    };
    const Case cases[] = {
        {{"13=input"}, {}, {}, {"'13=input'", "0 to 12"}},
        {{"0=alt"}, {}, {}, {"pin 0 has no mode 'alt'", "input, output (or 0, 1)"}},
        {{"7=2:0"}, {}, {}, {"pin 7 has no mode '2'"}},
        {{"4=pwm"}, {}, {}, {"input, output, alt"}},
        {{"1=input:3"}, {}, {}, {"no-pull, pull-up, pull-down"}},
        {{"1=output:2"}, {}, {}, {"low, high"}},
        {{"2=alt:2"}, {}, {}, {"push-pull, inv-push-pull"}},
        {{"3=alt:1"}, {}, {}, {"none"}},
        {{"3=input", "3=output"}, {}, {}, {"pin 3 is given twice"}},
        {{}, "500", {}, {"--interval 500", "Invalid GPIO  report interval is set", "0 or 1000"}},
        {{}, "999", {}, {"--interval 999"}},
        {{}, "2147483648", {}, {"--interval 2147483648"}},
        {{}, {}, "2", {"--send-to-peer 2", "0, 1"}},
        {{}, {}, {}, {"nothing to change"}},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(GpioChanges::Parse(c.words, c.interval, c.sendToPeer, kEnglish, error).has_value());
        for (const auto& part : c.inMessage) EXPECT_TRUE(Contains(error, part)) << error;
    }
}

TEST(GpioChanges, NamedPinsChangeAndTheOthersKeepWhatWasRead) {
    std::string error;
    const auto changes = GpioChanges::Parse({"2=alt:inv-push-pull", "5=output", "12=1:1", "9=alt"}, std::string("1000"),
                                            std::string("on"), kEnglish, error);
    ASSERT_TRUE(changes.has_value()) << error;
    GpioSettings record;
    record.pins[7] = {0, 0, 2};  // the device's entry for pin 7, with a pin number the page would rewrite
    record.sendToPeer = 0;
    changes->ApplyTo(record);
    for (std::uint8_t pin = 0; pin < kGpioPinCount; ++pin) EXPECT_EQ(record.pins[pin].pin, pin);
    EXPECT_EQ(record.pins[2].ioMode, 2);
    EXPECT_EQ(record.pins[2].pinConfig, 1);
    EXPECT_EQ(record.pins[5].ioMode, 1);
    EXPECT_EQ(record.pins[5].pinConfig, 0) << "a mode without a value selects the first value";
    EXPECT_EQ(record.pins[12].ioMode, 1);
    EXPECT_EQ(record.pins[12].pinConfig, 1);
    EXPECT_EQ(record.pins[9].ioMode, 2);
    EXPECT_EQ(record.pins[7].pinConfig, 2);
    EXPECT_EQ(record.reportInterval, 1000);
    EXPECT_EQ(record.sendToPeer, 1);

    const auto intervalOnly = GpioChanges::Parse({}, std::string("0"), std::nullopt, kEnglish, error);
    ASSERT_TRUE(intervalOnly.has_value()) << error;
    GpioSettings read;
    read.reportInterval = 5000;
    read.sendToPeer = 7;  // the send-remote word's low byte: any nonzero value is ticked
    intervalOnly->ApplyTo(read);
    EXPECT_EQ(read.reportInterval, 0);
    EXPECT_EQ(read.sendToPeer, 1);
}

}  // namespace
}  // namespace q470
