#include "hook_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

extern char** environ;

namespace q470 {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// After the time-out the group gets SIGTERM, and this long to end before SIGKILL.
constexpr milliseconds kTermGrace{500};
constexpr milliseconds kPollSlice{20};

class Pipe {
public:
    Pipe() { ok_ = pipe2(ends_, O_CLOEXEC) == 0; }
    ~Pipe() {
        CloseWrite();
        if (ok_) close(ends_[0]);
    }
    bool Ok() const { return ok_; }
    int Read() const { return ends_[0]; }
    int Write() const { return ends_[1]; }
    void CloseWrite() {
        if (ok_ && ends_[1] >= 0) close(ends_[1]);
        ends_[1] = -1;
    }

private:
    int ends_[2] = {-1, -1};
    bool ok_ = false;
};

std::vector<std::string> Environment(const HookCall& call) {
    std::vector<std::string> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        const bool replaced = std::any_of(call.environment.begin(), call.environment.end(),
                                          [&](const auto& variable) { return variable.first == name; });
        if (!replaced) entries.push_back(text);
    }
    for (const auto& [name, value] : call.environment) entries.push_back(name + "=" + value);
    return entries;
}

class Output {
public:
    explicit Output(HookOutcome& outcome) : outcome_(outcome) {}
    // Reads what is there now; false at the end of the stream.
    bool Take(int fd) {
        char buffer[4096];
        for (;;) {
            const ssize_t count = read(fd, buffer, sizeof buffer);
            if (count > 0) {
                Keep(buffer, static_cast<std::size_t>(count));
                continue;
            }
            if (count < 0 && errno == EINTR) continue;
            return count < 0 && errno == EAGAIN;
        }
    }

private:
    void Keep(const char* bytes, std::size_t count) {
        std::string& output = outcome_.output;
        output.append(bytes, count);
        if (output.size() > HookOutcome::kOutputLimit) {
            output.erase(0, output.size() - HookOutcome::kOutputLimit);
            outcome_.outputCut = true;
        }
    }

    HookOutcome& outcome_;
};

void Finish(HookOutcome& outcome, int status) {
    if (WIFEXITED(status)) {
        outcome.code = WEXITSTATUS(status);
        outcome.kind = outcome.code == 0 ? HookOutcome::Kind::Succeeded : HookOutcome::Kind::Failed;
    } else if (WIFSIGNALED(status)) {
        outcome.code = WTERMSIG(status);
        outcome.kind = HookOutcome::Kind::Signalled;
    }
}

// Ends the group and reaps its leader.
void KillGroup(pid_t pid) {
    kill(-pid, SIGTERM);
    const auto until = Clock::now() + kTermGrace;
    int status = 0;
    while (Clock::now() < until) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
            kill(-pid, SIGKILL);  // what it started may still run
            return;
        }
        std::this_thread::sleep_for(kPollSlice / 4);
    }
    kill(-pid, SIGKILL);
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

pid_t Spawn(const HookCall& call, const Pipe& pipe, std::error_code& error) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipe.Write(), 1);
    posix_spawn_file_actions_adddup2(&actions, pipe.Write(), 2);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Serial ports the station holds are not opened close-on-exec; a hook must not keep them.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM, SIGCHLD, SIGUSR1, SIGUSR2, SIGALRM})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    std::string shell = "/bin/sh", dashC = "-c", command = call.command;
    char* argv[] = {shell.data(), dashC.data(), command.data(), nullptr};
    std::vector<std::string> entries = Environment(call);
    std::vector<char*> envp;
    for (auto& entry : entries) envp.push_back(entry.data());
    envp.push_back(nullptr);

    pid_t pid = -1;
    const int failed = posix_spawn(&pid, shell.c_str(), &actions, &attributes, argv, envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        error = std::error_code(failed, std::generic_category());
        return -1;
    }
    return pid;
}

}  // namespace

std::string HookOutcomeWord(const HookOutcome& outcome) {
    switch (outcome.kind) {
        case HookOutcome::Kind::Succeeded:
            return "ok";
        case HookOutcome::Kind::Failed:
            return "exit " + std::to_string(outcome.code);
        case HookOutcome::Kind::Signalled:
            return "signal " + std::to_string(outcome.code);
        case HookOutcome::Kind::TimedOut:
            return "timed-out";
        case HookOutcome::Kind::NotStarted:
            break;
    }
    return "not-started";
}

HookOutcome RunHook(const HookCall& call) {
    HookOutcome outcome;
    Pipe pipe;
    if (!pipe.Ok()) {
        outcome.kind = HookOutcome::Kind::NotStarted;
        outcome.error = std::error_code(errno, std::generic_category());
        return outcome;
    }
    const pid_t pid = Spawn(call, pipe, outcome.error);
    pipe.CloseWrite();
    if (pid < 0) {
        outcome.kind = HookOutcome::Kind::NotStarted;
        return outcome;
    }
    fcntl(pipe.Read(), F_SETFL, fcntl(pipe.Read(), F_GETFL) | O_NONBLOCK);
    Output output(outcome);
    bool open = true;
    const auto deadline = Clock::now() + call.timeout;
    for (;;) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            // What it wrote before it ended; a process it left running may hold the pipe: not waited for.
            output.Take(pipe.Read());
            Finish(outcome, status);
            return outcome;
        }
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) break;
        const int wait = static_cast<int>(std::min(left, kPollSlice).count());
        if (open) {
            pollfd readable{pipe.Read(), POLLIN, 0};
            if (poll(&readable, 1, wait) > 0) open = output.Take(pipe.Read());
        } else {
            std::this_thread::sleep_for(milliseconds(wait));
        }
    }
    KillGroup(pid);
    output.Take(pipe.Read());
    outcome.kind = HookOutcome::Kind::TimedOut;
    return outcome;
}

}  // namespace q470
