#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "link_traffic.h"

namespace q470 {

// A bounded record of a link's traffic for a view that shows it live: the link's thread adds what it
// observes, the view's thread takes what is new since it last looked. The oldest entries drop off, so
// a view that is slow, or not looking, never holds the link up or fills memory.
class TrafficLog {
public:
    struct Entry {
        std::uint64_t number = 0;  // counts every entry ever added, dropped ones too
        std::chrono::steady_clock::time_point time;
        LinkTraffic traffic = LinkTraffic::Sent;
        std::string bytes;
    };

    explicit TrafficLog(std::size_t capacity);

    // `time`: when the bytes went out or came in.
    void Add(LinkTraffic traffic, std::string_view bytes,
             std::chrono::steady_clock::time_point time = std::chrono::steady_clock::now());
    // The entries numbered `from` and later that are still held.
    std::vector<Entry> Since(std::uint64_t from) const;
    // The number the next entry will get.
    std::uint64_t Next() const;
    // When the log was made: entries are timed from it.
    std::chrono::steady_clock::time_point Start() const { return start_; }

private:
    const std::size_t capacity_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    mutable std::mutex mutex_;
    std::deque<Entry> entries_;
    std::uint64_t next_ = 0;
};

}  // namespace q470
