#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace q470::test {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kWaitStep{2};
constexpr int kAllLines = -1;

void CloseIfOpen(int fd) {
    if (fd >= 0) ::close(fd);
}

// The child starts with the signals a test sends it in their default meaning and none blocked, however
// the test program itself was started (a shell's background job ignores SIGINT, for one).
void ResetSignals(posix_spawnattr_t& attributes) {
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&defaults, signal);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
}

// `out` < 0: standard output goes to /dev/null. -1 when the program could not be started.
pid_t Spawn(std::vector<std::string>& args, int in, int out, int err) {
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (in >= 0) posix_spawn_file_actions_adddup2(&actions, in, STDIN_FILENO);
    if (out >= 0) {
        posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    ResetSignals(attributes);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ) != 0) pid = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Whether `fd` has bytes or its end of file before the deadline.
bool Readable(int fd, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

// Up to end of file, or up to the `lines`-th newline; when counting lines it reads a byte at a time,
// so what follows stays in the pipe for the next read.
std::string Read(int fd, int lines, std::chrono::milliseconds timeout) {
    std::string text;
    const auto deadline = Clock::now() + timeout;
    char buffer[4096];
    while (fd >= 0 && lines != 0 && Readable(fd, deadline)) {
        const ssize_t n = ::read(fd, buffer, lines == kAllLines ? sizeof buffer : 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
        if (lines > 0 && buffer[0] == '\n') --lines;
    }
    return text;
}

int ExitStatus(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, std::vector<std::string> args, StandardOutput output,
                           StandardInput input) {
    args.insert(args.begin(), program);
    int in[2] = {-1, -1};
    int out[2] = {-1, -1};
    int err[2] = {-1, -1};
    const bool piped = output == StandardOutput::Piped;
    const bool fed = input == StandardInput::Piped;
    if ((!fed || ::pipe2(in, O_CLOEXEC) == 0) && (!piped || ::pipe2(out, O_CLOEXEC) == 0) &&
        ::pipe2(err, O_CLOEXEC) == 0) {
        pid_ = Spawn(args, in[0], out[1], err[1]);
    }
    // Only the child writes; with these closed here, a read meets end of file once the child is gone.
    CloseIfOpen(in[0]);
    CloseIfOpen(out[1]);
    CloseIfOpen(err[1]);
    in_ = in[1];
    out_ = out[0];
    err_ = err[0];
}

bool ChildProcess::WriteInput(const std::string& bytes) {
    std::size_t written = 0;
    while (in_ >= 0 && written < bytes.size()) {
        const ssize_t n = ::write(in_, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<std::size_t>(n);
    }
    return written == bytes.size();
}

void ChildProcess::CloseInput() {
    CloseIfOpen(in_);
    in_ = -1;
}

void ChildProcess::CloseOutput() {
    CloseIfOpen(out_);
    out_ = -1;
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    CloseIfOpen(in_);
    CloseIfOpen(out_);
    CloseIfOpen(err_);
}

void ChildProcess::Signal(int signal) {
    if (pid_ > 0) ::kill(pid_, signal);
}

int ChildProcess::Wait(Clock::duration timeout) {
    for (const auto deadline = Clock::now() + timeout; pid_ > 0;) {
        int status = 0;
        const pid_t reaped = ::waitpid(pid_, &status, WNOHANG);
        if (reaped == pid_) {
            status_ = ExitStatus(status);
            pid_ = -1;
        } else if (reaped < 0 && errno != EINTR) {
            pid_ = -1;  // not this process's child any more: nothing left to wait for or to kill
        } else if (Clock::now() >= deadline) {
            break;
        } else {
            std::this_thread::sleep_for(kWaitStep);
        }
    }
    return status_.value_or(-1);
}

std::string ChildProcess::Output(std::chrono::milliseconds timeout) {
    return Read(out_, kAllLines, timeout);
}

std::string ChildProcess::Errors(std::chrono::milliseconds timeout) {
    return Read(err_, kAllLines, timeout);
}

std::string ChildProcess::OutputLines(int count, std::chrono::milliseconds timeout) {
    return Read(out_, count, timeout);
}

}  // namespace q470::test
