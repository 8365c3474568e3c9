#pragma once

#include <chrono>
#include <fstream>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

#include "link_traffic.h"

namespace q470 {

// q470ctl --trace / --trace-file: every line sent and received, as it happens, one line of text each:
// milliseconds since the start, the port when several are in use, the direction ('>' sent, '<'
// received, '<~' bytes that never became a line) and the bytes, escaped. Several ports write to one
// stream, a line at a time.
class TraceWriter {
public:
    using Clock = std::chrono::steady_clock;

    // Writes to `stream` (standard error).
    TraceWriter(std::ostream& stream, bool withPort);
    // Appends to the file at `path`; Opened() tells whether it could be opened.
    TraceWriter(const std::string& path, bool withPort);

    bool Opened() const { return stream_ != nullptr; }
    // `when`: the time the bytes went out or came in, which the line shows.
    void Write(const std::string& port, LinkTraffic traffic, std::string_view bytes, Clock::time_point when);

private:
    const Clock::time_point start_ = Clock::now();
    std::ofstream file_;
    std::ostream* stream_ = nullptr;
    bool withPort_ = false;
    std::mutex mutex_;
};

}  // namespace q470
