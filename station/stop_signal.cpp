#include "stop_signal.h"

namespace q470 {

void StopSignal::Raise() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        raised_ = true;
    }
    raisedChanged_.notify_all();
}

bool StopSignal::WaitFor(std::chrono::steady_clock::duration duration) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return raisedChanged_.wait_for(lock, duration, [this] { return raised_.load(); });
}

}  // namespace q470
