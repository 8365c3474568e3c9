#include "config_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config_file_loader.h"
#include "config_reader.h"
#include "config_test_support.h"
#include "config_writer_items.h"

namespace q470 {
namespace {

using test::FullQ470RItems;
using test::kDataDir;
using test::kKs410Items;
using test::kPins;
using test::Pin;

TEST(WriteConfigFile, MatchesGoldenFilesByteForByte) {
    test::TempFolder folder;
    struct Golden {
        const char* file;
        int (*write)(const std::u16string&, const SettingItemList&);
        SettingItemList items;
    };
    for (const Golden& g : {Golden{"q470r_full.json", WriteQ470RConfigFile, FullQ470RItems()},
                            Golden{"ks410.json", WriteKS410ConfigFile, kKs410Items},
                            Golden{"q470r_empty.json", WriteQ470RConfigFile, {}}}) {
        SCOPED_TRACE(g.file);
        ASSERT_EQ(g.write(folder.Path16(g.file), g.items), kWriteOk);
        EXPECT_EQ(test::ReadBytes(folder.Path(g.file)), test::ReadBytes(kDataDir + "/" + g.file));
    }
}

TEST(WriteConfigFile, ReadsBackInReaderOrder) {
    test::TempFolder folder;
    SettingItemList q470rExpected = {OpModeItem(4),      PanIdItem(65533),     NetRoleItem(2),
                                     RfChannelItem(103), QuietModeItem(false), UartItem(230400, 2, 1, 7)};
    for (const Pin& p : kPins) q470rExpected.push_back(GpioConfigItem(p.pin, p.ioMode, p.pinConfig));
    q470rExpected.push_back(GpioPeriodicItem(2147483647u, true));
    const SettingItemList ks410Expected = {OpModeItem(1), QuietModeItem(true), UartItem(9600, 0, 0, 8),
                                           UserPanIdItem(65533)};

    ASSERT_EQ(WriteQ470RConfigFile(folder.Path16("q470r.json"), FullQ470RItems()), kWriteOk);
    ASSERT_EQ(WriteKS410ConfigFile(folder.Path16("ks410.json"), kKs410Items), kWriteOk);
    for (const auto& [file, expected] : {std::pair{"q470r.json", q470rExpected}, {"ks410.json", ks410Expected}}) {
        SCOPED_TRACE(file);
        ConfigDocument document;
        ASSERT_EQ(LoadConfigDocument(folder.Path16(file), document), 0);
        SettingItemList items;
        EXPECT_EQ(ReadSettingItems(document, items), kReadOk);
        EXPECT_EQ(items, expected);
    }
}

// On Windows the name reaches the file functions as UTF-16; the ANSI code page could not hold it.
TEST(WriteConfigFile, KoreanFileNameIsWrittenAndReadBack) {
    test::TempFolder folder;
    ASSERT_EQ(WriteKS410ConfigFile(folder.Path16("설정 파일.json"), kKs410Items), kWriteOk);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"설정 파일.json"});
    ConfigDocument document;
    ASSERT_EQ(LoadConfigDocument(folder.Path16("설정 파일.json"), document), 0);
    EXPECT_EQ(std::u16string(document[u"Model Name"].GetString()), u"KELDAN-KS410");
}

TEST(WriteConfigFile, PlacesThatCannotBeWrittenGiveMinusOne) {
    test::TempFolder folder;
    EXPECT_EQ(WriteQ470RConfigFile(folder.Path16("missing/config.json"), {}), kWriteOpenFailed);
    EXPECT_EQ(WriteQ470RConfigFile(folder.Path16(""), {}), kWriteOpenFailed);  // the folder itself
    EXPECT_EQ(WriteQ470RConfigFile(u"", {}), kWriteOpenFailed);
    EXPECT_TRUE(folder.Entries().empty());
}

}  // namespace
}  // namespace q470
