// Reading cases that only POSIX systems have: devices, pipes, permission bits and users.

#include "config_file_loader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "config_test_support.h"
#include "run_in_child.h"

namespace q470 {
namespace {

TEST(LoadConfigDocument, DevicesAndPipesAreNoRegularFiles) {
    test::TempFolder folder;
    ConfigDocument document;
    ConfigFileFailure failure;
    EXPECT_EQ(LoadConfigDocument(u"/dev/null", document, &failure), -ENODEV);
    EXPECT_EQ(failure.cause, FileFailureCause::NotRegularFile);
    // A pipe without a writer would block a reader for ever: it is refused before anything is read.
    ASSERT_EQ(mkfifo(folder.Path("pipe.json").c_str(), 0600), 0);
    EXPECT_EQ(LoadConfigDocument(folder.Path16("pipe.json"), document, &failure), -ENODEV);
    EXPECT_EQ(failure.cause, FileFailureCause::NotRegularFile);
}

// Root reads through permission bits, so the read runs as an unprivileged user in a child process.
TEST(LoadConfigDocument, AFileThatMayNotBeReadSaysSo) {
    constexpr int kChildSetupFailed = 100;
    constexpr uid_t kNobody = 65534;
    test::TempFolder folder;
    test::WriteBytes(folder.Path("config.json"), "{}");
    ASSERT_EQ(chmod(folder.Path("config.json").c_str(), 0200), 0);
    ASSERT_EQ(chmod(folder.Path().c_str(), 0755), 0);
    const int result = test::RunInChild([&] {
        if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) return kChildSetupFailed;
        ConfigDocument document;
        ConfigFileFailure failure;
        const int code = LoadConfigDocument(folder.Path16("config.json"), document, &failure);
        return code == -EACCES && failure.cause == FileFailureCause::NoPermission ? 0 : 1;
    });
    if (result == kChildSetupFailed) GTEST_SKIP() << "cannot drop root privileges to test an unreadable file";
    EXPECT_EQ(result, 0);
}

}  // namespace
}  // namespace q470
