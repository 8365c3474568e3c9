// Configuration files checked against the rule set, the connected model and the device's radio plan:
// every member the file form has, with a value it may not hold, refuses the whole file; members the
// tool does not send are named; valid files, hand-written or saved, are taken as they are.

#include "config_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "config_exchange.h"
#include "model_kind.h"
#include "narrow_text.h"
#include "temp_folder.h"

namespace q470 {
namespace {

class TempFile {
public:
    std::u16string Write(const std::string& text) const {
        std::ofstream(folder_.Root() / "config.json", std::ios::binary) << text;
        return folder_.Path16("config.json");
    }

private:
    test::TempFolder folder_;
};

// A Q470R on PHY ID 12, channel 99, as its read found it.
ConfigTarget Q470ROnPhy(std::uint8_t phyId = 12, std::uint8_t channel = 99) {
    ConfigTarget target;
    target.modelKind = ModelQ470R;
    target.radio = RadioPlan{phyId, channel};
    return target;
}

ConfigTarget Keldan() {
    ConfigTarget target;
    target.modelKind = ModelKs410;
    target.radio = RadioPlan{12, 99};
    return target;
}

std::string Uart(const std::string& baud, const std::string& parity, const std::string& stop, const std::string& data) {
    return R"({"General": {"UART": {"Baudrate": )" + baud + R"(, "Parity": )" + parity + R"(, "Stopbit": )" + stop +
           R"(, "Databit": )" + data + "}}}";
}

std::string Pin(const std::string& num, const std::string& mode, const std::string& config) {
    return R"({"GPIOs": {"Configs": [{"Num": )" + num + R"(, "IoMode": )" + mode + R"(, "Config": )" + config + "}]}}";
}

std::string Interval(const std::string& interval) {
    return R"({"GPIOs": {"Periodic Report": {"Report Interval": )" + interval + R"(, "Send Remote": true}}})";
}

// Every member that carries a number, with values outside what it may hold: the file is refused and
// the one refusal names the member, the value as written and what is allowed.
TEST(ConfigCheck, AValueAMemberMayNotHoldRefusesTheWholeFile) {
    struct Case {
        std::string json;
        ConfigTarget target;
        std::string member;
        std::string value;
        std::vector<ValueRange> allowed;
        RuleNote note;
    };
    const std::vector<ValueRange> opModes{{1, 4}};
    const std::vector<ValueRange> panIds{{1, 65533}};
    const std::vector<ValueRange> rates{{2400, 2400},   {4800, 4800},     {9600, 9600},
                                        {14400, 14400}, {19200, 19200},   {38400, 38400},
                                        {57600, 57600}, {115200, 115200}, {230400, 230400}};
    const std::vector<ValueRange> intervals{{0, 0}, {1000, 2147483647}};
    const Case cases[] = {
        {R"({"General": {"Operation Mode": 0}})", Q470ROnPhy(), "General/Operation Mode", "0", opModes, RuleNote::None},
        {R"({"General": {"Operation Mode": 5}})", Q470ROnPhy(), "General/Operation Mode", "5", opModes, RuleNote::None},
        {R"({"General": {"Operation Mode": 258}})", Q470ROnPhy(), "General/Operation Mode", "258", opModes,
         RuleNote::None},
        {R"({"General": {"Operation Mode": 2.5}})", Q470ROnPhy(), "General/Operation Mode", "2.5", opModes,
         RuleNote::None},
        {R"({"General": {"Network Role": 3}})", Q470ROnPhy(), "General/Network Role", "3", {{1, 2}}, RuleNote::None},
        {R"({"General": {"PAN ID": 0}})", Q470ROnPhy(), "General/PAN ID", "0", panIds, RuleNote::None},
        {R"({"General": {"PAN ID": 65534}})", Q470ROnPhy(), "General/PAN ID", "65534", panIds, RuleNote::None},
        {R"({"General": {"PAN ID": 70196}})", Q470ROnPhy(), "General/PAN ID", "70196", panIds, RuleNote::None},
        {R"({"General": {"PAN ID": -1}})", Q470ROnPhy(), "General/PAN ID", "-1", panIds, RuleNote::None},
        {R"({"General": {"RF Channel": 50}})",
         Q470ROnPhy(),
         "General/RF Channel",
         "50",
         {{99, 105}},
         RuleNote::ChannelPlan},
        {R"({"General": {"RF Channel": 99}})",
         Q470ROnPhy(8, 46),
         "General/RF Channel",
         "99",
         {{46, 51}},
         RuleNote::ChannelPlan},
        {R"({"General": {"RF Channel": 99}})",
         Q470ROnPhy(1, 7),
         "General/RF Channel",
         "99",
         {{7, 7}},
         RuleNote::NoChannelPlan},
        {R"({"General": {"RF Channel": -1}})",
         Q470ROnPhy(),
         "General/RF Channel",
         "-1",
         {{99, 105}},
         RuleNote::ChannelPlan},
        {R"({"General": {"RF Channel": 256}})",
         ConfigTarget{},
         "General/RF Channel",
         "256",
         {{46, 51}, {93, 105}},
         RuleNote::None},
        {R"({"Model Name": "KELDAN-KS410", "General": {"User PAN ID": 65535}})", Keldan(), "General/User PAN ID",
         "65535", panIds, RuleNote::None},
        {Uart("12345", "0", "0", "8"), Q470ROnPhy(), "General/UART/Baudrate", "12345", rates, RuleNote::None},
        {Uart("4294967296", "0", "0", "8"), Q470ROnPhy(), "General/UART/Baudrate", "4294967296", rates, RuleNote::None},
        {Uart("9600", "3", "0", "8"), Q470ROnPhy(), "General/UART/Parity", "3", {{0, 2}}, RuleNote::None},
        {Uart("9600", "0", "7", "8"), Q470ROnPhy(), "General/UART/Stopbit", "7", {{0, 1}}, RuleNote::None},
        {Uart("9600", "0", "0", "5"), Q470ROnPhy(), "General/UART/Databit", "5", {{7, 8}}, RuleNote::None},
        {Pin("33", "1", "0"), Q470ROnPhy(), "GPIOs/Configs[0]/Num", "33", {{0, 12}}, RuleNote::None},
        {Pin("20", "1", "0"), Q470ROnPhy(), "GPIOs/Configs[0]/Num", "20", {{0, 12}}, RuleNote::None},
        {Pin("7", "2", "0"), Q470ROnPhy(), "GPIOs/Configs[0]/IoMode", "2", {{0, 1}}, RuleNote::ModesOfPin},
        {Pin("2", "3", "0"), Q470ROnPhy(), "GPIOs/Configs[0]/IoMode", "3", {{0, 2}}, RuleNote::ModesOfPin},
        {Pin("2", "256", "0"), Q470ROnPhy(), "GPIOs/Configs[0]/IoMode", "256", {{0, 2}}, RuleNote::ModesOfPin},
        {Pin("0", "0", "3"), Q470ROnPhy(), "GPIOs/Configs[0]/Config", "3", {{0, 2}}, RuleNote::ValuesOfMode},
        {Pin("5", "1", "2"), Q470ROnPhy(), "GPIOs/Configs[0]/Config", "2", {{0, 1}}, RuleNote::ValuesOfMode},
        {Pin("3", "2", "1"), Q470ROnPhy(), "GPIOs/Configs[0]/Config", "1", {{0, 0}}, RuleNote::ValuesOfMode},
        {Pin("2", "2", "2"), Q470ROnPhy(), "GPIOs/Configs[0]/Config", "2", {{0, 1}}, RuleNote::ValuesOfMode},
        {Pin("2", "2", "-1"), Q470ROnPhy(), "GPIOs/Configs[0]/Config", "-1", {{0, 1}}, RuleNote::ValuesOfMode},
        {Interval("500"), Q470ROnPhy(), "GPIOs/Periodic Report/Report Interval", "500", intervals, RuleNote::None},
        {Interval("-1"), Q470ROnPhy(), "GPIOs/Periodic Report/Report Interval", "-1", intervals, RuleNote::None},
        {Interval("4294967295"), Q470ROnPhy(), "GPIOs/Periodic Report/Report Interval", "4294967295", intervals,
         RuleNote::None},
    };
    TempFile file;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        ConfigDocument document;
        SettingItemList items{QuietModeItem(true)};
        const ConfigLoadOutcome outcome = LoadConfigForModel(file.Write(c.json), c.target, document, items);
        EXPECT_EQ(outcome.status, ConfigLoadStatus::Refused);
        EXPECT_EQ(items, SettingItemList{QuietModeItem(true)}) << "the caller's list is left alone";
        ASSERT_EQ(outcome.problems.size(), 1u);
        const SettingProblem& problem = outcome.problems.front();
        EXPECT_EQ(problem.kind, ProblemKind::NotAllowed);
        EXPECT_EQ(problem.member, c.member);
        EXPECT_EQ(problem.value, c.value);
        EXPECT_EQ(problem.allowed, c.allowed);
        EXPECT_EQ(problem.note, c.note);
    }
}

// The UART of the first report: every member wrong at once, each named.
TEST(ConfigCheck, EveryRefusedValueIsNamed) {
    TempFile file;
    ConfigDocument document;
    SettingItemList items;
    const auto outcome = LoadConfigForModel(
        file.Write(R"({"General": {"Operation Mode": 2, "UART": {"Baudrate": 12345, "Parity": 3, "Stopbit": 7,
                       "Databit": 5}}, "GPIOs": {"Configs": [{"Num": 33, "IoMode": 1, "Config": 1},
                       {"Num": 7, "IoMode": 2, "Config": 0}]}})"),
        Q470ROnPhy(), document, items);
    EXPECT_EQ(outcome.status, ConfigLoadStatus::Refused);
    std::vector<std::string> members;
    for (const auto& problem : outcome.problems) members.push_back(problem.member);
    EXPECT_EQ(members,
              (std::vector<std::string>{"General/UART/Baudrate", "General/UART/Parity", "General/UART/Stopbit",
                                        "General/UART/Databit", "GPIOs/Configs[0]/Num", "GPIOs/Configs[1]/IoMode"}));
}

// Members the tool does not send are named, and the rest of the file goes.
TEST(ConfigCheck, MembersLeftOutAreNamedAndTheRestIsLoaded) {
    struct Case {
        std::string json;
        ConfigTarget target;
        SettingItemList items;
        std::vector<std::pair<ProblemKind, std::string>> named;
    };
    const Case cases[] = {
        {R"({"General": {"PanID": 4660, "Operation Mode": 3}})",
         Q470ROnPhy(),
         {OpModeItem(3)},
         {{ProblemKind::UnknownMember, "General/PanID"}}},
        {R"({"General": {"Operation Mode": 3, "Quiet Mode": 1, "PAN ID": "4660"}})",
         Q470ROnPhy(),
         {OpModeItem(3)},
         {{ProblemKind::WrongType, "General/PAN ID"}, {ProblemKind::WrongType, "General/Quiet Mode"}}},
        {R"({"General": {"Operation Mode": 3, "UART": {"Baudrate": 9600}}})",
         Q470ROnPhy(),
         {OpModeItem(3)},
         {{ProblemKind::Incomplete, "General/UART"}}},
        {R"({"General": {"Operation Mode": 3, "Operation Mode": 9}})",
         Q470ROnPhy(),
         {OpModeItem(3)},
         {{ProblemKind::Duplicate, "General/Operation Mode"}}},
        {R"({"General": {"Operation Mode": 3, "User PAN ID": 5}})",
         Q470ROnPhy(),
         {OpModeItem(3), UserPanIdItem(5)},
         {{ProblemKind::NotForModel, "General/User PAN ID"}}},
        // A KELDAN takes neither these members nor their values: they are named, not checked.
        {R"({"Model Name": "KELDAN-KS410", "General": {"Operation Mode": 1, "PAN ID": 0, "RF Channel": 50},
            "GPIOs": {"Configs": [{"Num": 7, "IoMode": 2, "Config": 0}]}})",
         Keldan(),
         {OpModeItem(1), PanIdItem(0), RfChannelItem(50), GpioConfigItem(7, 2, 0)},
         {{ProblemKind::NotForModel, "General/PAN ID"},
          {ProblemKind::NotForModel, "General/RF Channel"},
          {ProblemKind::NotForModel, "GPIOs/Configs[0]"}}},
    };
    TempFile file;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        ConfigDocument document;
        SettingItemList items;
        const ConfigLoadOutcome outcome = LoadConfigForModel(file.Write(c.json), c.target, document, items);
        EXPECT_EQ(outcome.status, ConfigLoadStatus::Loaded);
        EXPECT_EQ(items, c.items);
        std::vector<std::pair<ProblemKind, std::string>> named;
        for (const auto& problem : outcome.problems) named.emplace_back(problem.kind, problem.member);
        EXPECT_EQ(named, c.named);
    }
}

// Hand-written files at the edges of what each member may hold are taken exactly as written.
TEST(ConfigCheck, ValidFilesAreTakenAsTheyAre) {
    const std::string q470r = R"({
        "Model Name": "Q470R",
        "General": {"Operation Mode": 4, "Network Role": 2, "PAN ID": 65533, "RF Channel": 105, "Quiet Mode": true,
                    "UART": {"Baudrate": 230400, "Parity": 2, "Stopbit": 1, "Databit": 7}},
        "GPIOs": {"Configs": [{"Num": 0, "IoMode": 0, "Config": 2}, {"Num": 2, "IoMode": 2, "Config": 1},
                              {"Num": 9, "IoMode": 2, "Config": 0}, {"Num": 12, "IoMode": 1, "Config": 1}],
                  "Periodic Report": {"Report Interval": 2147483647, "Send Remote": false}}
    })";
    const SettingItemList q470rItems{OpModeItem(4),
                                     PanIdItem(65533),
                                     NetRoleItem(2),
                                     RfChannelItem(105),
                                     QuietModeItem(true),
                                     UartItem(230400, 2, 1, 7),
                                     GpioConfigItem(0, 0, 2),
                                     GpioConfigItem(2, 2, 1),
                                     GpioConfigItem(9, 2, 0),
                                     GpioConfigItem(12, 1, 1),
                                     GpioPeriodicItem(2147483647, false)};
    const std::string keldan =
        R"({"Model Name": "KELDAN-KS410", "General": {"Operation Mode": 1, "User PAN ID": 1, "Quiet Mode": false,
            "UART": {"Baudrate": 2400, "Parity": 0, "Stopbit": 0, "Databit": 8}}})";
    const SettingItemList keldanItems{OpModeItem(1), QuietModeItem(false), UartItem(2400, 0, 0, 8), UserPanIdItem(1)};
    TempFile file;
    for (const auto& [json, target, expected] :
         {std::tuple{q470r, Q470ROnPhy(), q470rItems}, std::tuple{keldan, Keldan(), keldanItems},
          std::tuple{q470r, ConfigTarget{}, q470rItems}}) {
        ConfigDocument document;
        SettingItemList items;
        const ConfigLoadOutcome outcome = LoadConfigForModel(file.Write(json), target, document, items);
        EXPECT_EQ(outcome.status, ConfigLoadStatus::Loaded);
        EXPECT_TRUE(outcome.problems.empty());
        EXPECT_EQ(items, expected);
    }
    // A device that holds a channel outside every plan may keep it: writing it back changes nothing.
    ConfigDocument document;
    SettingItemList items;
    EXPECT_EQ(
        LoadConfigForModel(file.Write(R"({"General": {"RF Channel": 7}})"), Q470ROnPhy(1, 7), document, items).status,
        ConfigLoadStatus::Loaded);
}

// The writer's reference files hold values no device may be given (they test the writer's text, not
// a device): loaded, they are refused and each such value is named.
TEST(ConfigCheck, TheWritersReferenceFilesNameTheirOutOfRangeValues) {
    const std::string folder = Q470_CONFIG_TEST_DATA_DIR;
    struct Case {
        const char* file;
        ConfigTarget target;
        std::vector<std::string> refused;
    };
    const Case cases[] = {
        {"q470r_full.json",
         Q470ROnPhy(),
         {"General/RF Channel", "GPIOs/Configs[11]/IoMode", "GPIOs/Periodic Report/Report Interval"}},
        {"ks410.json", Keldan(), {"General/User PAN ID"}},
    };
    for (const auto& c : cases) {
        ConfigDocument document;
        SettingItemList items;
        const auto outcome = LoadConfigForModel(NarrowToWide(folder + "/" + c.file), c.target, document, items);
        EXPECT_EQ(outcome.status, ConfigLoadStatus::Refused) << c.file;
        std::vector<std::string> refused;
        for (const auto& problem : outcome.problems) refused.push_back(problem.member);
        EXPECT_EQ(refused, c.refused) << c.file;
    }
}

}  // namespace
}  // namespace q470
