#include "port_open_refusal.h"

#include <gtest/gtest.h>

#include <cerrno>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <grp.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace q470 {
namespace {

// A port that another program holds is busy (the busy hint), never a want of rights (the hint to join
// a group); other refusals keep their meaning.
TEST(PortOpenRefusal, APortHeldByAnotherProgramIsBusy) {
    struct Case {
        int code;
        std::errc meaning;
    };
    const Case cases[] = {
#ifdef _WIN32
        {ERROR_ACCESS_DENIED, std::errc::device_or_resource_busy},
        {ERROR_SHARING_VIOLATION, std::errc::device_or_resource_busy},
        {ERROR_LOCK_VIOLATION, std::errc::device_or_resource_busy},
        {ERROR_FILE_NOT_FOUND, std::errc::no_such_file_or_directory},
#else
        {EBUSY, std::errc::device_or_resource_busy},
        {EACCES, std::errc::permission_denied},
        {ENOENT, std::errc::no_such_file_or_directory},
#endif
    };
    for (const auto& c : cases) {
        const std::error_code error = PortOpenRefusal({c.code, std::system_category()}, "/dev/q470-no-such-port");
        EXPECT_EQ(error, c.meaning) << c.code << ": " << error.message();
        EXPECT_EQ(RefusedPortGroup(error), "") << c.code;
    }
}

#ifndef _WIN32

// A pseudo-terminal's device node, whose owner and mode a test may set.
class PortNode : public ::testing::Test {
protected:
    void SetUp() override {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master_, 0);
        ASSERT_EQ(::grantpt(master_), 0);
        ASSERT_EQ(::unlockpt(master_), 0);
        path_ = ::ptsname(master_);
    }
    void TearDown() override { ::close(master_); }

    int master_ = -1;
    std::string path_;
};

// The group to join is the one that owns the node, where joining it would let the user in: not root's,
// and only where the group may read and write the node. The message stays the system's.
TEST_F(PortNode, APermissionRefusalNamesTheGroupThatMayOpenThePort) {
    const group* uucp = ::getgrnam("uucp");
    if (::geteuid() != 0 || uucp == nullptr) GTEST_SKIP() << "needs root and a uucp group to give the node away";
    struct Case {
        gid_t group;
        mode_t mode;
        const char* named;
    };
    const Case cases[] = {
        {uucp->gr_gid, 0660, "uucp"},
        {uucp->gr_gid, 0640, ""},
        {uucp->gr_gid, 0600, ""},
        {0, 0660, ""},
    };
    const std::error_code denied(EACCES, std::system_category());
    for (const auto& c : cases) {
        ASSERT_EQ(::chown(path_.c_str(), 0, c.group), 0);
        ASSERT_EQ(::chmod(path_.c_str(), c.mode), 0);
        const std::error_code error = PortOpenRefusal(denied, path_);
        EXPECT_EQ(error, std::errc::permission_denied) << c.mode;
        EXPECT_EQ(error.message(), denied.message());
        EXPECT_EQ(RefusedPortGroup(error), c.named) << c.group << " " << std::oct << c.mode;
    }
}

#endif

}  // namespace
}  // namespace q470
