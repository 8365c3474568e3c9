#include "trace_writer.h"

#include <cstdio>

namespace q470 {
namespace {

const char* Direction(LinkTraffic traffic) {
    switch (traffic) {
        case LinkTraffic::Sent:
            return ">";
        case LinkTraffic::Unfinished:
            return "<~";
        case LinkTraffic::Answer:
        case LinkTraffic::Owed:
        case LinkTraffic::Stale:
        case LinkTraffic::Heard:
            break;
    }
    return "<";
}

}  // namespace

TraceWriter::TraceWriter(std::ostream& stream, bool withPort) : stream_(&stream), withPort_(withPort) {}

TraceWriter::TraceWriter(const std::string& path, bool withPort)
    : file_(path, std::ios::binary | std::ios::app), withPort_(withPort) {
    if (file_) stream_ = &file_;
}

void TraceWriter::Write(const std::string& port, LinkTraffic traffic, std::string_view bytes) {
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start_).count();
    char time[32];
    std::snprintf(time, sizeof time, "%10.3f", ms);
    std::string line = time;
    if (withPort_) line += " " + port;
    line += std::string(" ") + Direction(traffic) + " " + EscapeTraffic(bytes) + "\n";
    std::lock_guard<std::mutex> lock(mutex_);
    if (!stream_) return;
    *stream_ << line;
    stream_->flush();
}

}  // namespace q470
