#include "config_writer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "config_file_loader.h"
#include "config_reader.h"
#include "config_test_support.h"

namespace q470 {
namespace {

const std::string kDataDir = Q470_CONFIG_TEST_DATA_DIR;

struct Pin {
    std::uint8_t pin, ioMode, pinConfig;
};

constexpr Pin kPins[] = {{0, 0, 1}, {1, 1, 0}, {2, 2, 1}, {3, 0, 2},  {4, 1, 1},  {5, 2, 0}, {6, 0, 0},
                         {7, 1, 0}, {8, 0, 1}, {9, 0, 1}, {10, 1, 1}, {11, 2, 0}, {12, 0, 2}};

// What the window collects on a Q470R: general settings, UART, 13 pins, quiet mode, periodic report.
SettingItemList FullQ470RItems() {
    SettingItemList items = {OpModeItem(4), NetRoleItem(2), PanIdItem(65533), RfChannelItem(200),
                             UartItem(230400, 2, 1, 7)};
    for (const Pin& p : kPins) items.push_back(GpioConfigItem(p.pin, p.ioMode, p.pinConfig));
    items.push_back(QuietModeItem(false));
    items.push_back(GpioPeriodicItem(4294967295u, true));
    return items;
}

const SettingItemList kKs410Items = {OpModeItem(1), UserPanIdItem(65535), UartItem(9600, 0, 0, 8), QuietModeItem(true)};

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
                                     RfChannelItem(200), QuietModeItem(false), UartItem(230400, 2, 1, 7)};
    for (const Pin& p : kPins) q470rExpected.push_back(GpioConfigItem(p.pin, p.ioMode, p.pinConfig));
    q470rExpected.push_back(GpioPeriodicItem(4294967295u, true));
    const SettingItemList ks410Expected = {OpModeItem(1), QuietModeItem(true), UartItem(9600, 0, 0, 8),
                                           UserPanIdItem(65535)};

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

TEST(WriteConfigFile, ReplacesAnExistingFileThroughItsLinkAndKeepsItsMode) {
    test::TempFolder folder;
    test::WriteBytes(folder.Path("target.json"), std::string(10000, 'x'));
    ASSERT_EQ(chmod(folder.Path("target.json").c_str(), 0640), 0);
    ASSERT_EQ(symlink("target.json", folder.Path("link.json").c_str()), 0);

    ASSERT_EQ(WriteKS410ConfigFile(folder.Path16("link.json"), kKs410Items), kWriteOk);
    struct stat link {};
    ASSERT_EQ(lstat(folder.Path("link.json").c_str(), &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode));
    struct stat target {};
    ASSERT_EQ(stat(folder.Path("target.json").c_str(), &target), 0);
    EXPECT_EQ(target.st_mode & 07777, 0640u);
    EXPECT_EQ(test::ReadBytes(folder.Path("target.json")), test::ReadBytes(kDataDir + "/ks410.json"));
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"link.json", "target.json"}));
}

TEST(WriteConfigFile, PlacesThatCannotBeWrittenGiveMinusOne) {
    test::TempFolder folder;
    EXPECT_EQ(WriteQ470RConfigFile(folder.Path16("missing/config.json"), {}), kWriteOpenFailed);
    EXPECT_EQ(WriteQ470RConfigFile(folder.Path16(""), {}), kWriteOpenFailed);  // the folder itself
    EXPECT_EQ(WriteQ470RConfigFile(u"", {}), kWriteOpenFailed);
    EXPECT_TRUE(folder.Entries().empty());
}

constexpr int kChildSetupFailed = 100;

// Root writes through permission bits, so the write runs as an unprivileged user in a child process.
TEST(WriteConfigFile, ReadOnlyFileIsNotReplaced) {
    test::TempFolder folder;
    const std::string old = "{\"old\": true}";
    test::WriteBytes(folder.Path("config.json"), old);
    ASSERT_EQ(chmod(folder.Path("config.json").c_str(), 0444), 0);
    ASSERT_EQ(chmod(folder.Path().c_str(), 0777), 0);  // a temporary file could be created beside it
    constexpr uid_t kNobody = 65534;
    const int result = test::RunInChild([&] {
        if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) return kChildSetupFailed;
        return WriteQ470RConfigFile(folder.Path16("config.json"), FullQ470RItems());
    });
    if (result == kChildSetupFailed) GTEST_SKIP() << "cannot drop root privileges to test a read-only file";
    EXPECT_EQ(result, kWriteOpenFailed);
    EXPECT_EQ(test::ReadBytes(folder.Path("config.json")), old);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"config.json"});
}

// Writes in a child whose file size limit makes the write fail after the file has opened, as a full disk
// would.
int WriteWithFileSizeLimit(const std::u16string& path) {
    constexpr rlim_t kFileSizeLimitBytes = 64;
    return test::RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{kFileSizeLimitBytes, kFileSizeLimitBytes};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return kChildSetupFailed;
        return WriteQ470RConfigFile(path, FullQ470RItems());
    });
}

TEST(WriteConfigFile, FailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    test::TempFolder folder;
    const std::string old = "{\"old\": true}";
    test::WriteBytes(folder.Path("config.json"), old);
    EXPECT_EQ(WriteWithFileSizeLimit(folder.Path16("config.json")), kWriteFailed);
    EXPECT_EQ(test::ReadBytes(folder.Path("config.json")), old);
    EXPECT_EQ(WriteWithFileSizeLimit(folder.Path16("new.json")), kWriteFailed);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"config.json"});
}

// A device is written in place; its write errors are reported, not taken for success.
TEST(WriteConfigFile, WriteErrorOnADeviceGivesMinusTwo) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "/dev/full is not available";
    EXPECT_EQ(WriteQ470RConfigFile(u"/dev/full", FullQ470RItems()), kWriteFailed);
}

}  // namespace
}  // namespace q470
