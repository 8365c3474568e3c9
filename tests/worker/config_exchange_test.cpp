#include "config_exchange.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "model_kind.h"
#include "temp_folder.h"

namespace q470 {
namespace {

class ConfigExchange : public ::testing::Test {
protected:
    void SetUp() override {
        general_.opMode = 4;
        general_.netRole = 2;
        general_.panId = 4660;
        general_.userPanId = 291;
        general_.rfChannel = 101;
        general_.baudRate = 115200;
        general_.parity = 2;
        general_.stopBits = 1;
        general_.dataBits = 7;
        general_.quietMode = 1;
        for (std::uint8_t i = 0; i < gpio_.pins.size(); ++i) gpio_.pins[i] = {i, static_cast<std::uint8_t>(i % 2), 1};
        gpio_.reportInterval = 1000;
        gpio_.sendToPeer = 1;
    }
    std::u16string Path(const char* name) const { return folder_.Path16(name); }
    std::u16string Write(const char* name, const std::string& text) const {
        std::ofstream(folder_.Root() / name, std::ios::binary) << text;
        return Path(name);
    }

    test::TempFolder folder_;
    GeneralSettings general_;
    GpioSettings gpio_;
};

std::vector<std::int32_t> Commands(const SettingItemList& items) {
    std::vector<std::int32_t> commands;
    for (const auto& item : items) commands.push_back(item.command);
    return commands;
}

TEST_F(ConfigExchange, SavedFilesLoadBackInReaderOrder) {
    struct Case {
        std::uint32_t savedOn;
        std::uint32_t loadedOn;
        std::vector<std::int32_t> commands;
    };
    std::vector<std::int32_t> q470r = {18, 9, 11, 13, 29, 7};
    q470r.insert(q470r.end(), 13, 15);
    q470r.push_back(17);
    const Case cases[] = {
        {ModelQ470R, ModelQ470R, q470r},
        {ModelKs410, ModelKs410, {18, 29, 7, 32}},
        {ModelKs400, ModelKs400, {18, 29, 7, 32}},  // the KS400 saves and loads the KS410 form
        {ModelKs400, ModelKs410, {18, 29, 7, 32}},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(SaveConfigForModel(Path("saved.json"), c.savedOn, general_, gpio_), 0);
        ConfigDocument document;
        SettingItemList items;
        const auto outcome = LoadConfigForModel(Path("saved.json"), c.loadedOn, document, items);
        EXPECT_EQ(outcome.status, ConfigLoadStatus::Loaded) << c.savedOn << " on " << c.loadedOn;
        EXPECT_EQ(Commands(items), c.commands) << c.savedOn << " on " << c.loadedOn;
    }
}

TEST_F(ConfigExchange, CollectedItemsCarryTheRecords) {
    SettingItemList items;
    CollectQ470RSettingItems(general_, gpio_, items);
    ASSERT_EQ(items.size(), 20u);
    EXPECT_EQ(items[0].opMode, 4);
    EXPECT_EQ(items[1].netRole, 2);
    EXPECT_EQ(items[2].panId, 4660);
    EXPECT_EQ(items[3].rfChannel, 101);
    EXPECT_EQ(items[4].baudRate, 115200u);
    EXPECT_EQ(items[4].parity, 2);
    EXPECT_EQ(items[4].stopBits, 1);
    EXPECT_EQ(items[4].dataBits, 7);
    EXPECT_EQ(items[5 + 12].pin, 12);
    EXPECT_EQ(items[18].command, 29);
    EXPECT_TRUE(items[18].quietMode);
    EXPECT_EQ(items[19].reportInterval, 1000u);
    EXPECT_TRUE(items[19].sendRemote);

    SettingItemList ks;
    CollectKS410SettingItems(general_, ks);
    EXPECT_EQ(Commands(ks), (std::vector<std::int32_t>{18, 32, 7, 29}));
    EXPECT_EQ(ks[1].userPanId, 291);
}

TEST_F(ConfigExchange, RefusedFilesChangeNothing) {
    struct Case {
        const char* text;
        std::uint32_t connected;
        ConfigLoadStatus status;
        int code;
    };
    const Case cases[] = {
        {"{}", ModelQ470R, ConfigLoadStatus::NoValidValues, 0},
        {"[1]", ModelQ470R, ConfigLoadStatus::BadContent, -1},
        {R"({"Model Name": 7})", ModelQ470R, ConfigLoadStatus::BadContent, -3},
        {R"({"Model Name": "KELDAN-KS400", "General": {"Quiet Mode": true}})", ModelKs400,
         ConfigLoadStatus::BadContent, -2},
        {R"({"General": {"Quiet Mode": true}})", ModelKs410, ConfigLoadStatus::WrongProduct, 0},
        {R"({"Model Name": "Q470R", "General": {"Quiet Mode": true}})", ModelKs400, ConfigLoadStatus::WrongProduct, 0},
        {R"({"Model Name": "KELDAN-KS410", "General": {"Quiet Mode": true}})", ModelQ470R,
         ConfigLoadStatus::WrongProduct, 0},
        {"", ModelQ470R, ConfigLoadStatus::FileUnreadable, 1},
        {"{} {}", ModelQ470R, ConfigLoadStatus::FileUnreadable, 2},
        {"{} // note", ModelQ470R, ConfigLoadStatus::FileUnreadable, 2},
    };
    for (const auto& c : cases) {
        SettingItemList items{QuietModeItem(true), OpModeItem(3)};
        const SettingItemList before = items;
        ConfigDocument document;
        const auto outcome = LoadConfigForModel(Write("file.json", c.text), c.connected, document, items);
        EXPECT_EQ(outcome.status, c.status) << c.text;
        EXPECT_EQ(outcome.code, c.code) << c.text;
        EXPECT_EQ(items, before) << c.text;
    }
}

TEST_F(ConfigExchange, FileWithoutModelNameIsAQ470RFile) {
    SettingItemList items;
    ConfigDocument document;
    const auto outcome =
        LoadConfigForModel(Write("q.json", R"({"General": {"Quiet Mode": true}})"), ModelQ470R, document, items);
    EXPECT_EQ(outcome.status, ConfigLoadStatus::Loaded);
    EXPECT_EQ(Commands(items), (std::vector<std::int32_t>{29}));

    const auto missing = LoadConfigForModel(Path("absent.json"), ModelQ470R, document, items);
    EXPECT_EQ(missing.status, ConfigLoadStatus::FileUnreadable);
    EXPECT_LT(missing.code, 0);
    EXPECT_TRUE(document.IsObject());  // the last good parse stays
}

}  // namespace
}  // namespace q470
