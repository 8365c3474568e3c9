#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace q470::soak {

// Ends the process with a clear message when the soak's own thread stops making progress: a
// deadlock in closing the port or stopping the worker would otherwise hang the run silently.
class Watchdog {
public:
    Watchdog(std::chrono::seconds limit, std::uint64_t seed);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // What the soak is doing now, for the message.
    void Beat(const std::string& activity);

    static constexpr int kHangExitStatus = 3;

private:
    void Watch();

    const std::chrono::seconds limit_;
    const std::uint64_t seed_;
    std::mutex mutex_;
    std::condition_variable stopped_;
    bool stop_ = false;
    std::string activity_;
    std::chrono::steady_clock::time_point lastBeat_;
    std::thread thread_;
};

}  // namespace q470::soak
