#include "trace_writer.h"

namespace q470 {

TraceWriter::TraceWriter(std::ostream& stream, bool withPort) : stream_(&stream), withPort_(withPort) {}

TraceWriter::TraceWriter(const std::string& path, bool withPort)
    : file_(path, std::ios::binary | std::ios::app), withPort_(withPort) {
    if (file_) stream_ = &file_;
}

void TraceWriter::Write(const std::string& port, LinkTraffic traffic, std::string_view bytes, Clock::time_point when) {
    const double ms = std::chrono::duration<double, std::milli>(when - start_).count();
    const std::string line = TrafficLine(ms, withPort_ ? port : std::string(), traffic, bytes) + "\n";
    std::lock_guard<std::mutex> lock(mutex_);
    if (!stream_) return;
    *stream_ << line;
    stream_->flush();
}

}  // namespace q470
