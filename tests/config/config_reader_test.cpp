#include "config_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config_test_support.h"

namespace q470 {
namespace {

struct ReadCase {
    const char* name;
    std::u16string json;
    int result;
    SettingItemList items;
};

void ExpectReads(const std::vector<ReadCase>& cases) {
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        SettingItemList items;
        EXPECT_EQ(ReadSettingItems(test::ParseJson(c.json), items), c.result);
        EXPECT_EQ(items, c.items);
    }
}

TEST(ReadSettingItems, RootTypeAndModelName) {
    ExpectReads({
        {"empty object", u"{}", kReadOk, {}},
        {"array root", u"[]", kReadRootNotObject, {}},
        {"number root", u"5", kReadRootNotObject, {}},
        {"string root", uR"("Q470R")", kReadRootNotObject, {}},
        {"Q470R", uR"({"Model Name": "Q470R", "General": {"Quiet Mode": true}})", kReadOk, {QuietModeItem(true)}},
        {"KELDAN-KS410",
         uR"({"Model Name": "KELDAN-KS410", "General": {"Quiet Mode": false}})",
         kReadOk,
         {QuietModeItem(false)}},
        {"no model name", uR"({"General": {"Quiet Mode": true}})", kReadOk, {QuietModeItem(true)}},
        {"KELDAN-KS400", uR"({"Model Name": "KELDAN-KS400", "General": {"Quiet Mode": true}})", kReadUnknownModel, {}},
        {"letter case", uR"({"Model Name": "q470r"})", kReadUnknownModel, {}},
        {"trailing space", uR"({"Model Name": "Q470R "})", kReadUnknownModel, {}},
        {"embedded zero", uR"({"Model Name": "Q470R\u0000"})", kReadUnknownModel, {}},
        {"number", uR"({"Model Name": 5, "General": {"Quiet Mode": true}})", kReadModelNotString, {}},
        {"null", uR"({"Model Name": null})", kReadModelNotString, {}},
        {"first of two counts", uR"({"Model Name": 5, "Model Name": "Q470R"})", kReadModelNotString, {}},
    });
}

TEST(ReadSettingItems, ClearsItemsUnlessTheRootIsNoObject) {
    const SettingItemList before = {PanIdItem(1)};
    SettingItemList items = before;
    EXPECT_EQ(ReadSettingItems(test::ParseJson(u"[]"), items), kReadRootNotObject);
    EXPECT_EQ(items, before);
    EXPECT_EQ(ReadSettingItems(test::ParseJson(uR"({"Model Name": "KELDAN-KS400"})"), items), kReadUnknownModel);
    EXPECT_TRUE(items.empty());
}

std::u16string General(const std::u16string& members) {
    return u"{\"General\": {" + members + u"}}";
}

std::u16string Uart(const std::u16string& members) {
    return General(u"\"UART\": {" + members + u"}");
}

std::u16string Gpios(const std::u16string& members) {
    return u"{\"GPIOs\": {" + members + u"}}";
}

// "General" members must be integers in the signed 32-bit range, written without fraction or exponent;
// the item keeps their low bits.
TEST(ReadSettingItems, GeneralMemberTypesAndRanges) {
    ExpectReads({
        {"PAN ID above 16 bits", General(uR"("PAN ID": 70000)"), kReadOk, {PanIdItem(70000 & 0xFFFF)}},
        {"PAN ID at int32 max", General(uR"("PAN ID": 2147483647)"), kReadOk, {PanIdItem(0xFFFF)}},
        {"PAN ID at int32 min", General(uR"("PAN ID": -2147483648)"), kReadOk, {PanIdItem(0)}},
        {"PAN ID above int32", General(uR"("PAN ID": 2147483648)"), kReadOk, {}},
        {"PAN ID below int32", General(uR"("PAN ID": -2147483649)"), kReadOk, {}},
        {"PAN ID with fraction", General(uR"("PAN ID": 12.0)"), kReadOk, {}},
        {"PAN ID with exponent", General(uR"("PAN ID": 1e2)"), kReadOk, {}},
        {"PAN ID as string", General(uR"("PAN ID": "4660")"), kReadOk, {}},
        {"RF Channel -1", General(uR"("RF Channel": -1)"), kReadOk, {RfChannelItem(255)}},
        {"Operation Mode 258", General(uR"("Operation Mode": 258)"), kReadOk, {OpModeItem(2)}},
        {"Network Role", General(uR"("Network Role": 2)"), kReadOk, {NetRoleItem(2)}},
        {"User PAN ID", General(uR"("User PAN ID": 4660)"), kReadOk, {UserPanIdItem(4660)}},
        {"Quiet Mode 1", General(uR"("Quiet Mode": 1)"), kReadOk, {}},
        {"Quiet Mode null", General(uR"("Quiet Mode": null)"), kReadOk, {}},
    });
}

// Nested integers only need to be integers: their low bits are kept. Fractions, exponents and integers
// beyond 64 bits (held as doubles) do not qualify; an incomplete entry yields nothing, the rest still reads.
TEST(ReadSettingItems, NestedObjectsAndPinEntries) {
    ExpectReads({
        {"UART",
         Uart(uR"("Baudrate": 115200, "Parity": 0, "Stopbit": 1, "Databit": 8)"),
         kReadOk,
         {UartItem(115200, 0, 1, 8)}},
        {"UART low bits",
         Uart(uR"("Baudrate": 4294976896, "Parity": 257, "Stopbit": -1, "Databit": 8)"),
         kReadOk,
         {UartItem(9600, 1, 255, 8)}},
        {"UART Baudrate -1",
         Uart(uR"("Baudrate": -1, "Parity": 0, "Stopbit": 0, "Databit": 8)"),
         kReadOk,
         {UartItem(0xFFFFFFFF, 0, 0, 8)}},
        {"UART Parity true", Uart(uR"("Baudrate": 9600, "Parity": true, "Stopbit": 0, "Databit": 8)"), kReadOk, {}},
        {"UART Parity with fraction",
         Uart(uR"("Baudrate": 9600, "Parity": 1.5, "Stopbit": 0, "Databit": 8)"),
         kReadOk,
         {}},
        {"UART Baudrate with exponent",
         Uart(uR"("Baudrate": 9.6e3, "Parity": 0, "Stopbit": 0, "Databit": 8)"),
         kReadOk,
         {}},
        {"UART Baudrate beyond 64 bits",
         Uart(uR"("Baudrate": 18446744073709551616, "Parity": 0, "Stopbit": 0, "Databit": 8)"),
         kReadOk,
         {}},
        {"UART without Databit, other members still read",
         General(uR"("Quiet Mode": true, "UART": {"Baudrate": 9600, "Parity": 0, "Stopbit": 0}, "PAN ID": 7)"),
         kReadOk,
         {PanIdItem(7), QuietModeItem(true)}},
        {"UART not an object", General(uR"("UART": [9600, 0, 0, 8])"), kReadOk, {}},
        {"pins",
         Gpios(uR"("Configs": [{"Num": 0, "IoMode": 1, "Config": 1}, {"Num": 1, "IoMode": 0}, 5, [],
                           {"Num": 2.0, "IoMode": 0, "Config": 0}, {"Num": 268, "IoMode": 2, "Config": -1}])"),
         kReadOk,
         {GpioConfigItem(0, 1, 1), GpioConfigItem(12, 2, 255)}},
        {"no pins", Gpios(uR"("Configs": [])"), kReadOk, {}},
        {"Configs not an array",
         Gpios(uR"("Configs": {"Num": 0, "IoMode": 0, "Config": 0},
                   "Periodic Report": {"Report Interval": 1000, "Send Remote": false})"),
         kReadOk,
         {GpioPeriodicItem(1000, false)}},
        {"Report Interval low bits",
         Gpios(uR"("Periodic Report": {"Report Interval": 4294967301, "Send Remote": true})"),
         kReadOk,
         {GpioPeriodicItem(5, true)}},
        {"Send Remote 0", Gpios(uR"("Periodic Report": {"Report Interval": 1000, "Send Remote": 0})"), kReadOk, {}},
        {"Periodic Report without Send Remote", Gpios(uR"("Periodic Report": {"Report Interval": 1000})"), kReadOk, {}},
    });
}

TEST(ReadSettingItems, FirstOfDuplicatesAndNonObjectsAreSkipped) {
    ExpectReads({
        {"two General",
         uR"({"General": {"PAN ID": 1}, "General": {"PAN ID": 2, "RF Channel": 3}})",
         kReadOk,
         {PanIdItem(1)}},
        {"two PAN ID", uR"({"General": {"PAN ID": 1, "PAN ID": 2}})", kReadOk, {PanIdItem(1)}},
        {"first PAN ID invalid", uR"({"General": {"PAN ID": "1", "PAN ID": 2}})", kReadOk, {}},
        {"two Periodic Report",
         Gpios(uR"("Periodic Report": {"Report Interval": 1, "Send Remote": true},
                   "Periodic Report": {"Report Interval": 2, "Send Remote": true})"),
         kReadOk,
         {GpioPeriodicItem(1, true)}},
        {"General not an object",
         uR"({"General": 5, "General": {"PAN ID": 1}, "GPIOs": {"Configs": [{"Num": 3, "IoMode": 0, "Config": 0}]}})",
         kReadOk,
         {GpioConfigItem(3, 0, 0)}},
        {"GPIOs not an object", uR"({"General": {"PAN ID": 1}, "GPIOs": [{"Configs": []}]})", kReadOk, {PanIdItem(1)}},
        {"key differs in case", uR"({"general": {"PAN ID": 1}, "General": {"pan id": 2}})", kReadOk, {}},
    });
}

// The reader's order is fixed whatever the file's order, and it does not look at the model: a Q470R file
// may carry a user PAN ID.
TEST(ReadSettingItems, ItemsComeInReaderOrder) {
    ExpectReads({
        {"scrambled file",
         uR"({
            "GPIOs": {
                "Periodic Report": {"Send Remote": true, "Report Interval": 1000},
                "Unknown": 1,
                "Configs": [{"Config": 1, "IoMode": 0, "Num": 5}, {"Num": 4, "IoMode": 1, "Config": 0}]
            },
            "General": {
                "User PAN ID": 32,
                "UART": {"Databit": 8, "Stopbit": 0, "Parity": 0, "Baudrate": 9600},
                "Quiet Mode": false,
                "RF Channel": 13,
                "Network Role": 11,
                "PAN ID": 9,
                "Operation Mode": 18,
                "Unknown": {"PAN ID": 1}
            },
            "Model Name": "Q470R"
        })",
         kReadOk,
         {OpModeItem(18), PanIdItem(9), NetRoleItem(11), RfChannelItem(13), QuietModeItem(false),
          UartItem(9600, 0, 0, 8), UserPanIdItem(32), GpioConfigItem(5, 0, 1), GpioConfigItem(4, 1, 0),
          GpioPeriodicItem(1000, true)}},
    });
}

}  // namespace
}  // namespace q470
