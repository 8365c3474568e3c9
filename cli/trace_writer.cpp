#include "trace_writer.h"

#include <cerrno>

#include "terminal_text.h"

namespace q470 {

TraceWriter::TraceWriter(std::ostream& stream, bool withPort) : stream_(&stream), withPort_(withPort) {}

TraceWriter::TraceWriter(const std::string& path, bool withPort, std::function<bool()> stopped)
    : stopped_(std::move(stopped)), withPort_(withPort) {
    openError_ = file_.Open(path, true, stopped_);
}

void TraceWriter::Write(const std::string& port, LinkTraffic traffic, std::string_view bytes, Clock::time_point when) {
    const double ms = std::chrono::duration<double, std::milli>(when - start_).count();
    // A port's name is a path: a line end in it must not start a line of its own.
    const std::string line = TrafficLine(ms, withPort_ ? PrintableText(port) : std::string(), traffic, bytes) + "\n";
    std::lock_guard<std::mutex> lock(mutex_);
    if (writeError_) return;
    if (file_.IsOpen()) {
        writeError_ = file_.Write(line, stopped_);
    } else if (stream_) {
        errno = 0;
        *stream_ << line;
        stream_->flush();
        if (!*stream_) writeError_ = std::error_code(errno != 0 ? errno : EIO, std::generic_category());
    }
}

std::error_code TraceWriter::WriteError() {
    std::lock_guard<std::mutex> lock(mutex_);
    return writeError_;
}

}  // namespace q470
