#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace q470::test {

// One run of a program (q470ctl, q470-sim, the manager) as a separate process, its standard error and,
// unless discarded, its standard output on pipes. The destructor kills and reaps a process still running.
class ChildProcess {
public:
    enum class StandardOutput { Piped, Discarded };
    enum class StandardInput { Inherited, Piped };

    static constexpr std::chrono::milliseconds kReadLimit{20000};

    ChildProcess(const std::string& program, std::vector<std::string> args,
                 StandardOutput output = StandardOutput::Piped, StandardInput input = StandardInput::Inherited);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0 || status_.has_value(); }
    // Does nothing once the process is reaped (or never started): its number may belong to another by then.
    void Signal(int signal);
    // The exit status (128 + the signal when one ended it), or -1 when it never started or still runs
    // after `timeout`. Once reaped, the same status every time.
    int Wait(std::chrono::steady_clock::duration timeout);

    // With a piped standard input: bytes for the program, and its end of file.
    bool WriteInput(const std::string& bytes);
    void CloseInput();
    // Its piped standard output goes unread from here on: the pipe has no reader any more.
    void CloseOutput();

    // What the program wrote until it closed the stream, or what came within `timeout`.
    std::string Output(std::chrono::milliseconds timeout = kReadLimit);
    std::string Errors(std::chrono::milliseconds timeout = kReadLimit);
    // Standard output up to and including the `count`-th newline; nothing past it is taken.
    std::string OutputLines(int count, std::chrono::milliseconds timeout = kReadLimit);

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    int in_ = -1;
    int out_ = -1;
    int err_ = -1;
};

}  // namespace q470::test
