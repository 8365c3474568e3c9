#include "config_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config_keys.h"

namespace q470 {
namespace {

using Names = std::vector<std::string>;

Names MemberNames(const rapidjson::Value& object) {
    Names names;
    for (const auto& member : object.GetObject()) names.emplace_back(member.name.GetString());
    return names;
}

TEST(BuildConfigDocument, GeneralMembersFollowTheListWithUartLast) {
    rapidjson::Document document;
    BuildKS410Document({OpModeItem(2), UserPanIdItem(4660), UartItem(9600, 0, 0, 8), QuietModeItem(true)}, document);
    EXPECT_EQ(MemberNames(document), (Names{"Model Name", "General"}));
    EXPECT_STREQ(document["Model Name"].GetString(), "KELDAN-KS410");
    EXPECT_EQ(MemberNames(document["General"]), (Names{"Operation Mode", "User PAN ID", "Quiet Mode", "UART"}));
    EXPECT_EQ(MemberNames(document["General"]["UART"]), (Names{"Baudrate", "Parity", "Stopbit", "Databit"}));
    // Keys and the model name point at the constant strings instead of copies.
    EXPECT_EQ(document.MemberBegin()->name.GetString(), config_key::kModelName);
    EXPECT_EQ(document.MemberBegin()->value.GetString(), config_key::kModelKs410);
}

TEST(BuildConfigDocument, CommandsOfTheOtherModelAreLeftOut) {
    const SettingItemList items = {
        PanIdItem(1),     NetRoleItem(1), RfChannelItem(1), GpioConfigItem(0, 0, 0), GpioPeriodicItem(0, false),
        UserPanIdItem(2), OpModeItem(1)};
    rapidjson::Document q470r;
    BuildQ470RDocument(items, q470r);
    EXPECT_EQ(MemberNames(q470r["General"]), (Names{"PAN ID", "Network Role", "RF Channel", "Operation Mode", "UART"}));
    EXPECT_EQ(q470r["GPIOs"]["Configs"].Size(), 1u);

    rapidjson::Document ks410;
    BuildKS410Document(items, ks410);
    EXPECT_EQ(MemberNames(ks410), (Names{"Model Name", "General"}));
    EXPECT_EQ(MemberNames(ks410["General"]), (Names{"User PAN ID", "Operation Mode", "UART"}));
}

TEST(BuildConfigDocument, EmptyListStillHasEveryContainer) {
    rapidjson::Document q470r;
    BuildQ470RDocument({}, q470r);
    EXPECT_EQ(MemberNames(q470r), (Names{"Model Name", "General", "GPIOs"}));
    EXPECT_STREQ(q470r["Model Name"].GetString(), "Q470R");
    EXPECT_EQ(MemberNames(q470r["General"]), (Names{"UART"}));
    EXPECT_TRUE(q470r["General"]["UART"].IsObject());
    EXPECT_EQ(q470r["General"]["UART"].MemberCount(), 0u);
    EXPECT_EQ(MemberNames(q470r["GPIOs"]), (Names{"Configs", "Periodic Report"}));
    EXPECT_TRUE(q470r["GPIOs"]["Configs"].IsArray());
    EXPECT_TRUE(q470r["GPIOs"]["Configs"].Empty());
    EXPECT_EQ(q470r["GPIOs"]["Periodic Report"].MemberCount(), 0u);

    rapidjson::Document ks410;
    BuildKS410Document({}, ks410);
    EXPECT_EQ(MemberNames(ks410), (Names{"Model Name", "General"}));
    EXPECT_EQ(MemberNames(ks410["General"]), (Names{"UART"}));
}

TEST(BuildConfigDocument, RepeatedCommandsAreAppendedNotMerged) {
    rapidjson::Document document;
    BuildQ470RDocument(
        {PanIdItem(1), UartItem(9600, 0, 0, 8), PanIdItem(2), UartItem(115200, 1, 1, 7), GpioConfigItem(3, 0, 0),
         GpioConfigItem(3, 1, 1), GpioPeriodicItem(1000, true), GpioPeriodicItem(0, false)},
        document);
    const rapidjson::Value& general = document["General"];
    EXPECT_EQ(MemberNames(general), (Names{"PAN ID", "PAN ID", "UART"}));
    EXPECT_EQ(general.MemberBegin()->value.GetUint(), 1u);
    EXPECT_EQ((general.MemberBegin() + 1)->value.GetUint(), 2u);
    EXPECT_EQ(MemberNames(general["UART"]),
              (Names{"Baudrate", "Parity", "Stopbit", "Databit", "Baudrate", "Parity", "Stopbit", "Databit"}));
    EXPECT_EQ(document["GPIOs"]["Configs"].Size(), 2u);
    EXPECT_EQ(MemberNames(document["GPIOs"]["Periodic Report"]),
              (Names{"Report Interval", "Send Remote", "Report Interval", "Send Remote"}));
}

}  // namespace
}  // namespace q470
