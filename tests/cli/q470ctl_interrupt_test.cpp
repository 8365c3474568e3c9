// Interrupting q470ctl while a job waits for a slow device, whichever job it is in. The executable
// ends within a second with status 130 (in a sanitizer build a leak at exit would change the status,
// so the status also stands for "nothing leaked"); in-process, the run returns within a second with
// every descriptor it opened closed and every thread it started ended.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <dirent.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "cli_rig.h"
#include "q470comm.h"
#include "simulated_modem.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kStopLimit = 1s;
constexpr auto kHangGuard = 20s;

// q470ctl with its standard error on a pipe, reaped (or killed) by the destructor.
class Tool {
public:
    explicit Tool(std::vector<std::string> args) {
        args.insert(args.begin(), Q470CTL_EXECUTABLE);
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        int err[2];
        if (::pipe2(err, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(err[1]);
        err_ = err[0];
    }
    ~Tool() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(err_);
    }
    Tool(const Tool&) = delete;
    Tool& operator=(const Tool&) = delete;

    bool Started() const { return pid_ > 0; }
    void Signal(int signal) { ::kill(pid_, signal); }

    // The exit status (128 + the signal that ended it), or -1 while it still runs after `timeout`.
    int Wait(Clock::duration timeout) {
        for (const auto deadline = Clock::now() + timeout; Clock::now() < deadline;) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(2ms);
        }
        return -1;
    }
    std::string Errors() {
        std::string text;
        char buffer[4096];
        for (ssize_t n; (n = ::read(err_, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<std::size_t>(n));
        return text;
    }

private:
    pid_t pid_ = -1;
    int err_ = -1;
};

struct Stage {
    const char* job;
    std::vector<std::string> command;
    const char* stuckAt;  // the device never answers this
};

const Stage kStages[] = {
    {"identify", {"read"}, "AT+QM?"},
    {"read", {"read", "--json"}, "AT+GPIOC?"},
    {"apply", {"set", "panid=4321", "channel=101"}, "AT+PANID="},
    {"apply GPIO", {"gpio", "5=output:high"}, "AT+GPIOC="},
};

std::size_t EntriesIn(const char* folder) {
    std::size_t count = 0;
    if (DIR* dir = ::opendir(folder)) {
        while (const dirent* entry = ::readdir(dir)) count += entry->d_name[0] != '.';
        ::closedir(dir);
    }
    return count;
}

// A device on a real line's pace (so the tool also meets it mid-answer) that never answers `stuckAt`.
void MakeSlow(q470::sim::SimulatedModem& modem, const char* stuckAt) {
    modem.SetPacing(true, 9600);
    q470::sim::CommandFault silent;
    silent.silent = true;
    modem.SetFault(stuckAt, silent);
}

bool StuckAt(const q470::sim::SimulatedModem& modem, const std::string& keyword) {
    const auto commands = modem.Commands();
    return !commands.empty() && commands.back().rfind(keyword, 0) == 0;
}

bool WaitUntilStuck(const q470::sim::SimulatedModem& modem, const std::string& keyword) {
    const auto guard = Clock::now() + kHangGuard;
    while (!StuckAt(modem, keyword) && Clock::now() < guard) std::this_thread::sleep_for(5ms);
    return StuckAt(modem, keyword);
}

TEST(Q470ctlInterrupt, SigintDuringEachJobEndsTheProcessWithin1sAndStatus130) {
    for (const auto& stage : kStages) {
        SCOPED_TRACE(stage.job);
        q470::sim::SimulatedModem modem({});
        std::string error;
        ASSERT_TRUE(modem.Start(&error)) << error;
        MakeSlow(modem, stage.stuckAt);
        std::vector<std::string> args{"-p", modem.PortPath()};
        args.insert(args.end(), stage.command.begin(), stage.command.end());
        Tool tool(args);
        ASSERT_TRUE(tool.Started());
        ASSERT_TRUE(WaitUntilStuck(modem, stage.stuckAt)) << "the tool never got to " << stage.stuckAt;

        const auto signalled = Clock::now();
        tool.Signal(SIGINT);
        const int status = tool.Wait(kHangGuard);
        EXPECT_LT(Clock::now() - signalled, kStopLimit);
        EXPECT_EQ(status, 130) << tool.Errors();
        EXPECT_NE(tool.Errors().find("interrupted"), std::string::npos);
    }
}

TEST(Q470ctlInterrupt, AStopInProcessLeavesNoDescriptorAndNoThread) {
    {
        // The I/O service's event loop keeps the descriptors it makes on first use for the process's
        // life; they are not the run's.
        q470::test::CliRig rig;
        ASSERT_EQ(rig.Run({"read"}).status, 0);
    }
    for (const auto& stage : kStages) {
        SCOPED_TRACE(stage.job);
        q470::test::CliRig rig;
        MakeSlow(rig.modem, stage.stuckAt);
        const std::size_t descriptors = EntriesIn("/proc/self/fd");
        const std::size_t threads = EntriesIn("/proc/self/task");
        q470::StopRequest stop;
        q470::CliEnvironment environment;
        environment.stop = &stop;
        std::vector<std::string> args{"-p", rig.Port()};
        args.insert(args.end(), stage.command.begin(), stage.command.end());
        auto running = std::async(std::launch::async, [&] { return q470::test::RunTool(args, environment); });
        ASSERT_TRUE(WaitUntilStuck(rig.modem, stage.stuckAt)) << "the run never got to " << stage.stuckAt;

        const auto stopAt = Clock::now();
        stop.Request(SIGINT);
        ASSERT_EQ(running.wait_for(kHangGuard), std::future_status::ready);
        EXPECT_LT(Clock::now() - stopAt, kStopLimit);
        EXPECT_EQ(running.get().status, 130);
        EXPECT_EQ(q470::g_openLinks, 0);
        EXPECT_EQ(EntriesIn("/proc/self/task"), threads);
        EXPECT_EQ(EntriesIn("/proc/self/fd"), descriptors);
    }
}

}  // namespace
