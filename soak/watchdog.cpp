#include "watchdog.h"

#include <cstdio>
#include <cstdlib>

namespace q470::soak {

Watchdog::Watchdog(std::chrono::seconds limit, std::uint64_t seed)
    : limit_(limit), seed_(seed), lastBeat_(std::chrono::steady_clock::now()), thread_([this] { Watch(); }) {}

Watchdog::~Watchdog() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    stopped_.notify_all();
    thread_.join();
}

void Watchdog::Beat(const std::string& activity) {
    std::lock_guard<std::mutex> lock(mutex_);
    activity_ = activity;
    lastBeat_ = std::chrono::steady_clock::now();
}

void Watchdog::Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
        if (std::chrono::steady_clock::now() - lastBeat_ > limit_) {
            std::fprintf(stderr, "SOAK FAILED (seed %llu): hang: no progress for %lld s while %s\n",
                         static_cast<unsigned long long>(seed_), static_cast<long long>(limit_.count()),
                         activity_.c_str());
            std::fflush(stderr);
            std::_Exit(kHangExitStatus);
        }
        stopped_.wait_for(lock, std::chrono::seconds(1));
    }
}

}  // namespace q470::soak
