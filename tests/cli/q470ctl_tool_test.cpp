// The q470ctl executable, run as a separate process.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kGenerous = 20s;

// One run of q470ctl with its standard output and error on pipes.
class ToolProcess {
public:
    explicit ToolProcess(std::vector<std::string> args) {
        args.insert(args.begin(), Q470CTL_EXECUTABLE);
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        int out[2];
        int err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~ToolProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_);
        ::close(err_);
    }

    void Signal(int signal) { ::kill(pid_, signal); }

    // The exit status (128 + the signal when one ended it), or -1 when it still runs after the time-out.
    int Wait(Clock::duration timeout) {
        for (const auto deadline = Clock::now() + timeout; Clock::now() < deadline;) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(5ms);
        }
        return -1;
    }
    std::string Output() { return ReadAll(out_); }
    std::string Errors() { return ReadAll(err_); }

private:
    static std::string ReadAll(int fd) {
        std::string text;
        char buffer[4096];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
        return text;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
};

TEST(Q470ctlTool, HelpGoesToStandardOutput) {
    ToolProcess tool({"--help"});
    EXPECT_EQ(tool.Wait(kGenerous), 0);
    const std::string out = tool.Output();
    EXPECT_EQ(out.rfind("Usage: q470ctl [options] COMMAND [args]", 0), 0u) << out;
    EXPECT_EQ(tool.Errors(), "");
}

TEST(Q470ctlTool, ABadOptionIsAUsageErrorOnStandardError) {
    ToolProcess tool({"--sim", "Q470R", "--baud", "1200", "read"});
    EXPECT_EQ(tool.Wait(kGenerous), 2);
    EXPECT_EQ(tool.Output(), "");
    EXPECT_NE(tool.Errors().find("--baud 1200: not allowed (allowed: 2400, 4800"), std::string::npos);
}

TEST(Q470ctlTool, ReadsTheBuiltInSimulatedDevice) {
    ToolProcess tool({"--sim", "Q470R", "read", "--json"});
    EXPECT_EQ(tool.Wait(kGenerous), 0);
    rapidjson::Document document;
    const std::string out = tool.Output();
    document.Parse(out.c_str());
    ASSERT_FALSE(document.HasParseError()) << out;
    EXPECT_STREQ(document["model"].GetString(), "Q470R");
    EXPECT_STREQ(document["firmware"].GetString(), "1.5.0");
    EXPECT_EQ(document["gpio"]["pins"].Size(), 13u);
    EXPECT_EQ(tool.Errors(), "") << "no progress lines when standard error is not a terminal";
}

// At 2400 baud the simulated device needs well over a second for the read; the interrupt ends it early.
TEST(Q470ctlTool, SigintEndsTheRunWithStatus130) {
    ToolProcess tool({"--sim", "Q470R", "--sim-firmware", "1.4.0", "--baud", "2400", "read"});
    std::this_thread::sleep_for(300ms);
    const auto signalled = Clock::now();
    tool.Signal(SIGINT);
    EXPECT_EQ(tool.Wait(kGenerous), 130);
    EXPECT_LT(Clock::now() - signalled, 1s);
    EXPECT_NE(tool.Errors().find("interrupted"), std::string::npos);
}

}  // namespace
