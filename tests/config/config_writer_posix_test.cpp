#include "config_writer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include "config_test_support.h"
#include "config_writer_items.h"
#include "run_in_child.h"

// Writer cases that only POSIX systems have: symbolic links, permission bits, users, file size limits
// and devices.
namespace q470 {
namespace {

using test::FullQ470RItems;
using test::kDataDir;
using test::kKs410Items;

using test::RunInChild;

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

constexpr int kChildSetupFailed = 100;

// Root writes through permission bits, so the write runs as an unprivileged user in a child process.
TEST(WriteConfigFile, ReadOnlyFileIsNotReplaced) {
    test::TempFolder folder;
    const std::string old = "{\"old\": true}";
    test::WriteBytes(folder.Path("config.json"), old);
    ASSERT_EQ(chmod(folder.Path("config.json").c_str(), 0444), 0);
    ASSERT_EQ(chmod(folder.Path().c_str(), 0777), 0);  // a temporary file could be created beside it
    constexpr uid_t kNobody = 65534;
    const int result = RunInChild([&] {
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
    return RunInChild([&] {
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
