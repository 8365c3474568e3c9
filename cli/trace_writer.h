#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>

#include "link_traffic.h"
#include "output_file.h"

namespace q470 {

// q470ctl --trace / --trace-file: every line sent and received, as it happens, one line of text each:
// milliseconds since the start, the port when several are in use, the direction ('>' sent, '<'
// received, '<~' bytes that never became a line) and the bytes, escaped. Several ports write to one
// stream, a line at a time. A write that fails (a full disk, a file size limit) ends the trace; the
// run goes on and says so at its end.
class TraceWriter {
public:
    using Clock = std::chrono::steady_clock;

    // Writes to `stream` (standard error).
    TraceWriter(std::ostream& stream, bool withPort);
    // Appends to the file at `path`; Opened() tells whether it could be opened (a named pipe is waited
    // for until it has a reader, or `stopped` says yes).
    TraceWriter(const std::string& path, bool withPort, std::function<bool()> stopped = {});

    bool Opened() const { return stream_ != nullptr || file_.IsOpen(); }
    std::error_code OpenError() const { return openError_; }
    // `when`: the time the bytes went out or came in, which the line shows.
    void Write(const std::string& port, LinkTraffic traffic, std::string_view bytes, Clock::time_point when);
    // Why the trace stopped being written, or nothing when every line went out.
    std::error_code WriteError();

private:
    const Clock::time_point start_ = Clock::now();
    OutputFile file_;
    std::ostream* stream_ = nullptr;
    std::function<bool()> stopped_;
    std::error_code openError_;
    bool withPort_ = false;
    std::mutex mutex_;
    std::error_code writeError_;  // under mutex_
};

}  // namespace q470
