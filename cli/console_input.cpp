#include "console_input.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <string_view>
#include <utility>

#include "output_file.h"
#include "raw_command.h"

#ifdef Q470_HAVE_EDITLINE
#include <editline/readline.h>
#include <termios.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#endif

namespace q470 {
namespace {

// At most this much is read at once: a piece of whatever the input holds.
constexpr std::size_t kReadPiece = 4096;
// A command, and the CR a line from a Windows file ends with.
constexpr std::size_t kMaxLineBytes = kMaxCommandLength + 1;

bool WaitReadable(int fd, std::chrono::milliseconds timeout) {
    pollfd ready{fd, POLLIN, 0};
    return ::poll(&ready, 1, static_cast<int>(timeout.count())) > 0;
}

std::function<bool()> StopAsked(const StopRequest* stop) {
    return [stop] { return stop != nullptr && stop->Signal() != 0; };
}

// A pipe or a file: lines as they come, the last one also without its line end.
class StreamInput final : public ConsoleInput {
public:
    StreamInput(int fd, const StopRequest* stop) : fd_(fd), stopped_(StopAsked(stop)) {}

    Event Poll(std::chrono::milliseconds timeout, std::string& line) override {
        for (;;) {
            if (!ready_.empty()) {
                const Event event = ready_.front().first;
                line = std::move(ready_.front().second);
                ready_.pop_front();
                return event;
            }
            if (ended_) return Event::End;
            // One piece per call at most: a flood of input cannot keep the session from its other work.
            if (read_ || !WaitReadable(fd_, timeout)) {
                read_ = false;
                return Event::Nothing;
            }
            char piece[kReadPiece];
            const ssize_t n = ::read(fd_, piece, sizeof piece);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) return Event::Nothing;
            if (n <= 0) {
                ended_ = true;
                if (!partial_.empty() && !dropping_) ready_.emplace_back(Event::Line, TakePartial());
                continue;
            }
            read_ = true;
            Append(std::string_view(piece, static_cast<std::size_t>(n)));
        }
    }

    void Print(const std::string& text) override { OutputFile::WriteAll(STDOUT_FILENO, text, stopped_); }
    void PrintNote(const std::string& text) override { OutputFile::WriteAll(STDERR_FILENO, text, stopped_); }
    bool EchoesInput() const override { return false; }

private:
    // Cuts the bytes into lines; a line grown past the longest command is dropped, up to its end,
    // without being kept.
    void Append(std::string_view bytes) {
        while (!bytes.empty()) {
            const auto end = bytes.find('\n');
            const std::string_view piece = bytes.substr(0, end);
            bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
            if (!dropping_ && partial_.size() + piece.size() > kMaxLineBytes) {
                ready_.emplace_back(Event::TooLong, std::string());
                partial_.clear();
                dropping_ = true;
            }
            if (!dropping_) partial_.append(piece);
            if (end == std::string_view::npos) return;
            if (!dropping_) ready_.emplace_back(Event::Line, TakePartial());
            dropping_ = false;
        }
    }

    std::string TakePartial() {
        std::string line;
        line.swap(partial_);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
    }

    int fd_;
    std::function<bool()> stopped_;
    std::deque<std::pair<Event, std::string>> ready_;  // what the last piece read held
    std::string partial_;                              // a line begun, not yet ended
    bool dropping_ = false;                            // inside a line too long to send
    bool ended_ = false;
    bool read_ = false;  // this call has read its piece
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
    explicit TerminalInput(const StopRequest* stop)
        : typed_(std::make_shared<TypedLines>()), stopped_(StopAsked(stop)) {
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
    void Print(const std::string& text) override { OutputFile::WriteAll(STDOUT_FILENO, kClearLine + text, stopped_); }
    void PrintNote(const std::string& text) override {
        OutputFile::WriteAll(STDERR_FILENO, kClearLine + text, stopped_);
    }
    bool EchoesInput() const override { return true; }

private:
    static constexpr const char* kClearLine = "\r\x1b[K";

    std::shared_ptr<TypedLines> typed_;
    std::function<bool()> stopped_;
    termios saved_{};
};

#endif

}  // namespace

std::unique_ptr<ConsoleInput> ConsoleInput::ForDescriptor(int fd, const StopRequest* stop) {
#ifdef Q470_HAVE_EDITLINE
    if (fd == STDIN_FILENO && ::isatty(fd) == 1) return std::make_unique<TerminalInput>(stop);
#endif
    return std::make_unique<StreamInput>(fd, stop);
}

}  // namespace q470
