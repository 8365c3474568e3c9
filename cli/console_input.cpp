#include "console_input.h"

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#ifdef Q470_HAVE_EDITLINE
#include <editline/readline.h>
#include <termios.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#endif

namespace q470 {
namespace {

bool WaitReadable(int fd, std::chrono::milliseconds timeout) {
    pollfd ready{fd, POLLIN, 0};
    return ::poll(&ready, 1, static_cast<int>(timeout.count())) > 0;
}

void WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n <= 0) return;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

// A pipe or a file: lines as they come, the last one also without its line end.
class StreamInput final : public ConsoleInput {
public:
    explicit StreamInput(int fd) : fd_(fd) {}

    Event Poll(std::chrono::milliseconds timeout, std::string& line) override {
        for (;;) {
            if (TakeLine(line)) return Event::Line;
            if (ended_) {
                if (pending_.empty()) return Event::End;
                line.swap(pending_);
                pending_.clear();
                return Event::Line;
            }
            if (!WaitReadable(fd_, timeout)) return Event::Nothing;
            char chunk[512];
            const ssize_t n = ::read(fd_, chunk, sizeof chunk);
            if (n <= 0) {
                ended_ = true;
            } else {
                pending_.append(chunk, static_cast<std::size_t>(n));
            }
            timeout = std::chrono::milliseconds(0);
        }
    }

    void Print(const std::string& text) override { WriteAll(STDOUT_FILENO, text); }
    bool EchoesInput() const override { return false; }

private:
    bool TakeLine(std::string& line) {
        const auto end = pending_.find('\n');
        if (end == std::string::npos) return false;
        line = pending_.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        pending_.erase(0, end + 1);
        return true;
    }

    int fd_;
    std::string pending_;
    bool ended_ = false;
};

#ifdef Q470_HAVE_EDITLINE

// What the editor's thread has read, handed to the session's thread.
struct TypedLines {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::string> lines;
    bool ended = false;
};

// A terminal: the line editor with history. It blocks in its own thread, which is left to end with
// the process (a stop cannot take it out of a read); the terminal's settings are put back on the way
// out, so an interrupted session does not leave it in the editor's mode.
class TerminalInput final : public ConsoleInput {
public:
    TerminalInput() : typed_(std::make_shared<TypedLines>()) {
        ::tcgetattr(STDIN_FILENO, &saved_);
        rl_catch_signals = 0;  // Ctrl-C is the tool's: it ends the session with its status
        std::thread([typed = typed_] {
            for (;;) {
                char* line = readline("");
                std::lock_guard<std::mutex> lock(typed->mutex);
                if (line == nullptr) {
                    typed->ended = true;
                    typed->changed.notify_all();
                    return;
                }
                if (*line != '\0') add_history(line);
                typed->lines.emplace_back(line);
                std::free(line);
                typed->changed.notify_all();
            }
        }).detach();
    }
    ~TerminalInput() override { ::tcsetattr(STDIN_FILENO, TCSANOW, &saved_); }

    Event Poll(std::chrono::milliseconds timeout, std::string& line) override {
        std::unique_lock<std::mutex> lock(typed_->mutex);
        typed_->changed.wait_for(lock, timeout, [&] { return !typed_->lines.empty() || typed_->ended; });
        if (!typed_->lines.empty()) {
            line = std::move(typed_->lines.front());
            typed_->lines.pop_front();
            return Event::Line;
        }
        return typed_->ended ? Event::End : Event::Nothing;
    }

    // From the start of the line; what was being typed shows again with the next key.
    void Print(const std::string& text) override { WriteAll(STDOUT_FILENO, "\r\x1b[K" + text); }
    bool EchoesInput() const override { return true; }

private:
    std::shared_ptr<TypedLines> typed_;
    termios saved_{};
};

#endif

}  // namespace

std::unique_ptr<ConsoleInput> ConsoleInput::ForDescriptor(int fd) {
#ifdef Q470_HAVE_EDITLINE
    if (fd == STDIN_FILENO && ::isatty(fd) == 1) return std::make_unique<TerminalInput>();
#endif
    return std::make_unique<StreamInput>(fd);
}

}  // namespace q470
