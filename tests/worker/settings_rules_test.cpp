#include "settings_rules.h"

#include <gtest/gtest.h>

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
