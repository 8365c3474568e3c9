#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "stop_request.h"

namespace q470 {

// The lines a console session reads, typed at a terminal (with line editing and history where the
// line editor is built in) or coming from a pipe. Never blocks longer than one poll, so the session
// can print what the device sends and notice a stop meanwhile. A pipe is read only when a line is
// asked for, and a line longer than any command is dropped as it comes, so whatever the input holds,
// the tool holds at most a piece of it.
class ConsoleInput {
public:
    enum class Event {
        Nothing,
        Line,
        TooLong,  // a line longer than kMaxCommandLength was dropped
        End,
    };

    // Reads from the descriptor `fd`; a terminal gets the line editor. Output waits for a stalled
    // reader only until `stop` is requested.
    static std::unique_ptr<ConsoleInput> ForDescriptor(int fd, const StopRequest* stop = nullptr);

    virtual ~ConsoleInput() = default;
    // Waits at most `timeout` for input. A complete line (without its line end) goes to `line`; End
    // once the input is closed (Ctrl-D at a terminal).
    virtual Event Poll(std::chrono::milliseconds timeout, std::string& line) = 0;
    // Writes `text` (whole lines) to standard output without breaking the line being typed.
    virtual void Print(const std::string& text) = 0;
    // The same on standard error: the tool's own notes, which are not the session's output.
    virtual void PrintNote(const std::string& text) = 0;
    // Whether what is typed shows already: a terminal echoes it, a pipe does not.
    virtual bool EchoesInput() const = 0;
};

}  // namespace q470
