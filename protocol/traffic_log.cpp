#include "traffic_log.h"

namespace q470 {

TrafficLog::TrafficLog(std::size_t capacity) : capacity_(capacity) {}

void TrafficLog::Add(LinkTraffic traffic, std::string_view bytes, std::chrono::steady_clock::time_point time) {
    Entry entry{0, time, traffic, std::string(bytes)};
    std::lock_guard<std::mutex> lock(mutex_);
    entry.number = next_++;
    entries_.push_back(std::move(entry));
    if (entries_.size() > capacity_) entries_.pop_front();
}

std::vector<TrafficLog::Entry> TrafficLog::Since(std::uint64_t from) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (entries_.empty() || from >= next_) return {};
    // Numbers are consecutive: the first one wanted stands at a known place.
    const std::uint64_t first = entries_.front().number;
    const auto skip = static_cast<std::ptrdiff_t>(from > first ? from - first : 0);
    return std::vector<Entry>(entries_.begin() + skip, entries_.end());
}

std::uint64_t TrafficLog::Next() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return next_;
}

}  // namespace q470
