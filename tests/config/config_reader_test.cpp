#include "config_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config_test_support.h"

namespace q470 {
namespace {

// What the reader said about a member: its kind and path.
struct Noted {
    ProblemKind kind;
    std::string member;
};

bool operator==(const Noted& a, const Noted& b) {
    return a.kind == b.kind && a.member == b.member;
}

void PrintTo(const Noted& noted, std::ostream* os) {
    *os << static_cast<int>(noted.kind) << " " << noted.member;
}

constexpr ProblemKind kRefused = ProblemKind::NotAllowed;
constexpr ProblemKind kUnknown = ProblemKind::UnknownMember;
constexpr ProblemKind kWrongType = ProblemKind::WrongType;
constexpr ProblemKind kIncomplete = ProblemKind::Incomplete;
constexpr ProblemKind kDuplicate = ProblemKind::Duplicate;

struct ReadCase {
    const char* name;
    std::u16string json;
    int result;
    SettingItemList items;
    std::vector<Noted> noted = {};
};

void ExpectReads(const std::vector<ReadCase>& cases) {
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        SettingItemList items;
        ConfigReadReport report;
        EXPECT_EQ(ReadSettingItems(test::ParseJson(c.json), items, &report), c.result);
        EXPECT_EQ(items, c.items);
        std::vector<Noted> noted;
        for (const auto& problem : report.problems) noted.push_back({problem.kind, problem.member});
        EXPECT_EQ(noted, c.noted);
        EXPECT_EQ(report.itemMembers.size(), items.size());
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

// A number is never cut to its field: one that does not fit (negative, too wide, a fraction or an
// exponent) yields no item and is refused; a member of another type is named and skipped.
TEST(ReadSettingItems, GeneralMemberTypesAndRanges) {
    ExpectReads({
        {"PAN ID above 16 bits", General(uR"("PAN ID": 70196)"), kReadOk, {}, {{kRefused, "General/PAN ID"}}},
        {"PAN ID at 16 bits", General(uR"("PAN ID": 65535)"), kReadOk, {PanIdItem(0xFFFF)}},
        {"PAN ID negative", General(uR"("PAN ID": -1)"), kReadOk, {}, {{kRefused, "General/PAN ID"}}},
        {"PAN ID above int32", General(uR"("PAN ID": 2147483648)"), kReadOk, {}, {{kRefused, "General/PAN ID"}}},
        {"PAN ID with fraction", General(uR"("PAN ID": 12.0)"), kReadOk, {}, {{kRefused, "General/PAN ID"}}},
        {"PAN ID with exponent", General(uR"("PAN ID": 1e2)"), kReadOk, {}, {{kRefused, "General/PAN ID"}}},
        {"PAN ID as string", General(uR"("PAN ID": "4660")"), kReadOk, {}, {{kWrongType, "General/PAN ID"}}},
        {"RF Channel -1", General(uR"("RF Channel": -1)"), kReadOk, {}, {{kRefused, "General/RF Channel"}}},
        {"RF Channel 255", General(uR"("RF Channel": 255)"), kReadOk, {RfChannelItem(255)}},
        {"Operation Mode 258", General(uR"("Operation Mode": 258)"), kReadOk, {}, {{kRefused, "General/Operation Mode"}}},
        {"Network Role", General(uR"("Network Role": 2)"), kReadOk, {NetRoleItem(2)}},
        {"User PAN ID", General(uR"("User PAN ID": 4660)"), kReadOk, {UserPanIdItem(4660)}},
        {"Quiet Mode 1", General(uR"("Quiet Mode": 1)"), kReadOk, {}, {{kWrongType, "General/Quiet Mode"}}},
        {"Quiet Mode null", General(uR"("Quiet Mode": null)"), kReadOk, {}, {{kWrongType, "General/Quiet Mode"}}},
        {"misspelt PAN ID", General(uR"("PanID": 4660, "Operation Mode": 3)"), kReadOk, {OpModeItem(3)},
         {{kUnknown, "General/PanID"}}},
    });
}

TEST(ReadSettingItems, UnknownMembersNameTheKnownOneTheyResemble) {
    SettingItemList items;
    ConfigReadReport report;
    ASSERT_EQ(ReadSettingItems(test::ParseJson(uR"({"general": {}, "General": {"pan_id": 1, "Baud": 2}})"), items,
                               &report),
              kReadOk);
    ASSERT_EQ(report.problems.size(), 3u);
    EXPECT_EQ(report.problems[0].member, "general");
    EXPECT_EQ(report.problems[0].suggestion, "General");
    EXPECT_EQ(report.problems[0].value, "{}");
    EXPECT_EQ(report.problems[1].suggestion, "PAN ID");
    EXPECT_EQ(report.problems[2].member, "General/Baud");
    EXPECT_EQ(report.problems[2].suggestion, "");
}

// Nested integers must fit their fields as well; an incomplete object names what it lacks, and the
// rest of the file still reads.
TEST(ReadSettingItems, NestedObjectsAndPinEntries) {
    ExpectReads({
        {"UART",
         Uart(uR"("Baudrate": 115200, "Parity": 0, "Stopbit": 1, "Databit": 8)"),
         kReadOk,
         {UartItem(115200, 0, 1, 8)}},
        {"UART beyond the fields",
         Uart(uR"("Baudrate": 4294976896, "Parity": 257, "Stopbit": -1, "Databit": 8)"),
         kReadOk,
         {},
         {{kRefused, "General/UART/Baudrate"}, {kRefused, "General/UART/Parity"}, {kRefused, "General/UART/Stopbit"}}},
        {"UART Parity true",
         Uart(uR"("Baudrate": 9600, "Parity": true, "Stopbit": 0, "Databit": 8)"),
         kReadOk,
         {},
         {{kWrongType, "General/UART/Parity"}}},
        {"UART Parity with fraction",
         Uart(uR"("Baudrate": 9600, "Parity": 1.5, "Stopbit": 0, "Databit": 8)"),
         kReadOk,
         {},
         {{kRefused, "General/UART/Parity"}}},
        {"UART Baudrate beyond 64 bits",
         Uart(uR"("Baudrate": 18446744073709551616, "Parity": 0, "Stopbit": 0, "Databit": 8)"),
         kReadOk,
         {},
         {{kRefused, "General/UART/Baudrate"}}},
        {"UART without Databit, other members still read",
         General(uR"("Quiet Mode": true, "UART": {"Baudrate": 9600, "Parity": 0, "Stopbit": 0}, "PAN ID": 7)"),
         kReadOk,
         {PanIdItem(7), QuietModeItem(true)},
         {{kIncomplete, "General/UART"}}},
        {"UART not an object", General(uR"("UART": [9600, 0, 0, 8])"), kReadOk, {}, {{kWrongType, "General/UART"}}},
        {"pins",
         Gpios(uR"("Configs": [{"Num": 0, "IoMode": 1, "Config": 1}, {"Num": 1, "IoMode": 0}, 5, [],
                           {"Num": 2.0, "IoMode": 0, "Config": 0}, {"Num": 268, "IoMode": 2, "Config": -1},
                           {"Num": 12, "IoMode": 2, "Config": 0, "Pull": 1}])"),
         kReadOk,
         {GpioConfigItem(0, 1, 1), GpioConfigItem(12, 2, 0)},
         {{kIncomplete, "GPIOs/Configs[1]"},
          {kWrongType, "GPIOs/Configs[2]"},
          {kWrongType, "GPIOs/Configs[3]"},
          {kRefused, "GPIOs/Configs[4]/Num"},
          {kRefused, "GPIOs/Configs[5]/Num"},
          {kRefused, "GPIOs/Configs[5]/Config"},
          {kUnknown, "GPIOs/Configs[6]/Pull"}}},
        {"no pins", Gpios(uR"("Configs": [])"), kReadOk, {}},
        {"Configs not an array",
         Gpios(uR"("Configs": {"Num": 0, "IoMode": 0, "Config": 0},
                   "Periodic Report": {"Report Interval": 1000, "Send Remote": false})"),
         kReadOk,
         {GpioPeriodicItem(1000, false)},
         {{kWrongType, "GPIOs/Configs"}}},
        {"Report Interval beyond 32 bits",
         Gpios(uR"("Periodic Report": {"Report Interval": 4294967301, "Send Remote": true})"),
         kReadOk,
         {},
         {{kRefused, "GPIOs/Periodic Report/Report Interval"}}},
        {"Send Remote 0",
         Gpios(uR"("Periodic Report": {"Report Interval": 1000, "Send Remote": 0})"),
         kReadOk,
         {},
         {{kWrongType, "GPIOs/Periodic Report/Send Remote"}}},
        {"Periodic Report without Send Remote",
         Gpios(uR"("Periodic Report": {"Report Interval": 1000})"),
         kReadOk,
         {},
         {{kIncomplete, "GPIOs/Periodic Report"}}},
    });
}

TEST(ReadSettingItems, FirstOfDuplicatesAndNonObjectsAreSkipped) {
    ExpectReads({
        {"two General",
         uR"({"General": {"PAN ID": 1}, "General": {"PAN ID": 2, "RF Channel": 3}})",
         kReadOk,
         {PanIdItem(1)},
         {{kDuplicate, "General"}}},
        {"two PAN ID", uR"({"General": {"PAN ID": 1, "PAN ID": 2}})", kReadOk, {PanIdItem(1)},
         {{kDuplicate, "General/PAN ID"}}},
        {"first PAN ID invalid", uR"({"General": {"PAN ID": "1", "PAN ID": 2}})", kReadOk, {},
         {{kDuplicate, "General/PAN ID"}, {kWrongType, "General/PAN ID"}}},
        {"two Periodic Report",
         Gpios(uR"("Periodic Report": {"Report Interval": 1, "Send Remote": true},
                   "Periodic Report": {"Report Interval": 2, "Send Remote": true})"),
         kReadOk,
         {GpioPeriodicItem(1, true)},
         {{kDuplicate, "GPIOs/Periodic Report"}}},
        {"General not an object",
         uR"({"General": 5, "General": {"PAN ID": 1}, "GPIOs": {"Configs": [{"Num": 3, "IoMode": 0, "Config": 0}]}})",
         kReadOk,
         {GpioConfigItem(3, 0, 0)},
         {{kDuplicate, "General"}, {kWrongType, "General"}}},
        {"GPIOs not an object", uR"({"General": {"PAN ID": 1}, "GPIOs": [{"Configs": []}]})", kReadOk, {PanIdItem(1)},
         {{kWrongType, "GPIOs"}}},
        {"key differs in case", uR"({"general": {"PAN ID": 1}, "General": {"pan id": 2}})", kReadOk, {},
         {{kUnknown, "general"}, {kUnknown, "General/pan id"}}},
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
          GpioPeriodicItem(1000, true)},
         {{kUnknown, "General/Unknown"}, {kUnknown, "GPIOs/Unknown"}}},
    });
}

}  // namespace
}  // namespace q470
