// The q470-sim executable, run as a separate process.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "pty_client.h"

extern char** environ;

namespace q470::sim {
namespace {

using std::chrono::milliseconds;
constexpr milliseconds kGenerous{10000};

// One run of q470-sim with its standard output and error on pipes.
class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args) {
        args.insert(args.begin(), Q470_SIM_EXECUTABLE);
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
    ~SimProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_);
        ::close(err_);
    }

    bool Started() const { return pid_ > 0; }
    void Signal(int signal) { ::kill(pid_, signal); }

    // Standard output up to and including the `count`-th newline.
    std::string ReadLines(int count) { return Read(out_, count); }
    std::string ReadAllOutput() { return Read(out_, -1); }
    std::string ReadAllErrors() { return Read(err_, -1); }

    // The exit status, or -1 when the process is still running after the time-out.
    int Wait(milliseconds timeout) {
        for (auto deadline = std::chrono::steady_clock::now() + timeout; std::chrono::steady_clock::now() < deadline;) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(milliseconds(5));
        }
        return -1;
    }

private:
    static std::string Read(int fd, int lines) {
        std::string text;
        const auto deadline = std::chrono::steady_clock::now() + kGenerous;
        char c;
        while (lines != 0 && std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            if (::read(fd, &c, 1) != 1) break;
            text += c;
            if (c == '\n' && lines > 0) --lines;
        }
        return text;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
};

TEST(SimTool, HelpDocumentsEveryOption) {
    SimProcess sim({"--help"});
    ASSERT_TRUE(sim.Started());
    const std::string help = sim.ReadAllOutput();
    EXPECT_EQ(sim.Wait(kGenerous), 0);
    for (const char* option : {"--model", "--firmware", "--quiet", "--echo", "--pace", "--count", "--help"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}

TEST(SimTool, BadOptionsGetOneLineAndStatus2) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--model"},
        {"--model", "Q470"},
        {"--model", "Q470R", "--bogus"},
        {"--model", "Q470R", "--pace", "fast"},
        {"--model", "Q470R", "--pace", "0"},
        {"--model", "Q470R", "--count", "65"},
        {"--model", "Q470R", "--count", "-1"},
        {"--model", "Q470R", "extra"},
    };
    for (const auto& args : cases) {
        SimProcess sim(args);
        ASSERT_TRUE(sim.Started());
        const std::string errors = sim.ReadAllErrors();
        EXPECT_EQ(sim.Wait(kGenerous), 2) << testing::PrintToString(args);
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_EQ(errors.rfind("q470-sim: ", 0), 0u) << errors;
        EXPECT_EQ(sim.ReadAllOutput(), "");
    }
}

TEST(SimTool, ServesUntilSigterm) {
    SimProcess sim({"--model", "KELDAN-KS400", "--firmware", "2.1.0", "--count", "2", "--echo"});
    ASSERT_TRUE(sim.Started());
    const std::string paths = sim.ReadLines(2);
    const std::string first = paths.substr(0, paths.find('\n'));
    ASSERT_FALSE(first.empty()) << paths;
    EXPECT_NE(paths.substr(first.size() + 1), first + "\n");

    PtyClient client(first);
    ASSERT_TRUE(client.IsOpen()) << first;
    client.Write("AT+VER?\r");
    EXPECT_EQ(client.ReadUntil("\r\nOK\r\n", kGenerous), "AT+VER?\r\r\n+VER,2.1.0\r\n\r\nOK\r\n");

    sim.Signal(SIGTERM);
    EXPECT_EQ(sim.Wait(kGenerous), 0);
    EXPECT_TRUE(client.WaitForHangUp(kGenerous));
}

}  // namespace
}  // namespace q470::sim
