#include "port_lock_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>

#include "temp_folder.h"

namespace q470 {
namespace {

std::string Binary(std::int32_t pid) {
    std::string bytes(sizeof pid, '\0');
    std::memcpy(bytes.data(), &pid, sizeof pid);
    return bytes;
}

// Ten columns and a newline, as terminal programs write their lock files.
std::string Ascii(long pid) {
    char text[32];
    std::snprintf(text, sizeof text, "%10ld\n", pid);
    return text;
}

// The number of a process that has ended.
pid_t EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(LockFileProcessId, ReadsTheFormsProgramsWrite) {
    struct Case {
        std::string content;
        std::optional<std::int32_t> pid;
    };
    const Case cases[] = {
        {Ascii(4242), 4242},
        {"4242\n", 4242},
        {"4242", 4242},
        {"  4242  \r\n", 4242},
        {Binary(4242), 4242},
        {Binary(0), std::nullopt},
        {Binary(-7), std::nullopt},
        {"", std::nullopt},
        {"\n", std::nullopt},
        {"0\n", std::nullopt},
        {"-5\n", std::nullopt},
        {"42 42\n", std::nullopt},
        {"4242x\n", std::nullopt},
        {"99999999999\n", std::nullopt},
        {"4294967297\n", std::nullopt},
        {std::string("\x92\x10\0\0\0", 5), std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LockFileProcessId(c.content), c.pid) << '"' << c.content << '"';
    }
}

class PortLockFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::setenv("Q470_LOCK_DIR", locks_.Path().c_str(), 1), 0);
        ASSERT_EQ(::symlink(("/dev/" + device_).c_str(), locks_.Path("link").c_str()), 0);
    }
    void TearDown() override { ::unsetenv("Q470_LOCK_DIR"); }

    void WriteLock(const std::string& name, const std::string& content) {
        std::ofstream(locks_.Path(name), std::ios::binary) << content;
    }

    test::TempFolder locks_;
    const std::string device_ = "null";  // a device every system has; the lock files are about its name
};

// What each kind of lock file means to a program that wants the port.
TEST_F(PortLockFiles, OnlyARunningProcessOtherThanThisOneHoldsThePort) {
    struct Case {
        const char* name;
        std::function<void()> leave;
        bool busy;
    };
    const Case cases[] = {
        {"no lock file", [] {}, false},
        {"a running process in ASCII", [&] { WriteLock("LCK..null", Ascii(1)); }, true},
        {"a running process in binary", [&] { WriteLock("LCK..null", Binary(1)); }, true},
        {"a process that has ended", [&] { WriteLock("LCK..null", Ascii(EndedProcess())); }, false},
        {"this process", [&] { WriteLock("LCK..null", Ascii(::getpid())); }, false},
        {"no process", [&] { WriteLock("LCK..null", "locked\n"); }, false},
        {"another port's", [&] { WriteLock("LCK..ttyS9", Ascii(1)); }, false},
        // The folder is writable by everybody: what is left there must not block the opening.
        {"a pipe", [&] { ASSERT_EQ(::mkfifo(locks_.Path("LCK..null").c_str(), 0644), 0); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.leave();
        for (const std::string& port : {"/dev/" + device_, locks_.Path("link")}) {
            const std::error_code error = PortLockError(port);
            EXPECT_EQ(error == std::errc::device_or_resource_busy, c.busy) << port << ": " << error.message();
        }
        for (const auto& entry : locks_.Entries()) {
            if (entry != "link") std::remove(locks_.Path(entry).c_str());
        }
    }
}

TEST_F(PortLockFiles, BusyNamesTheHolder) {
    WriteLock("LCK..null", Ascii(1));
    const std::error_code error = PortLockError("/dev/null");
    EXPECT_EQ(error, std::errc::device_or_resource_busy);
    EXPECT_EQ(error.value(), 1);
    EXPECT_NE(error.message().find("process 1"), std::string::npos) << error.message();
}

// A port reached through a link (/dev/serial/by-id/…) is locked under the device's own name by programs
// that were given that name.
TEST_F(PortLockFiles, ALinkIsLookedUpUnderBothNames) {
    EXPECT_EQ(PortLockFileNames("/dev/null"), std::vector<std::string>{"LCK..null"});
    EXPECT_EQ(PortLockFileNames(locks_.Path("link")), (std::vector<std::string>{"LCK..link", "LCK..null"}));
    EXPECT_EQ(PortLockFileNames("/dev/q470-no-such-port"), std::vector<std::string>{"LCK..q470-no-such-port"});
}

TEST(PortLockFolder, VarLockUnlessOverridden) {
    ::unsetenv("Q470_LOCK_DIR");
    EXPECT_EQ(PortLockFolder(), "/var/lock");
    ::setenv("Q470_LOCK_DIR", "", 1);
    EXPECT_EQ(PortLockFolder(), "/var/lock");
    ::unsetenv("Q470_LOCK_DIR");
}

}  // namespace
}  // namespace q470
