#include "run_control.h"

#include <algorithm>

namespace q470 {

bool RunControl::Attach(DeviceSession& session) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return false;
    sessions_.push_back(&session);
    return true;
}

void RunControl::Detach(DeviceSession& session) {
    std::lock_guard<std::mutex> lock(mutex_);
    sessions_.erase(std::remove(sessions_.begin(), sessions_.end(), &session), sessions_.end());
}

bool RunControl::PollStop() {
    const int signal = request_ ? request_->Signal() : 0;
    if (signal == 0) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!stopping_) {
        signal_ = signal;
        stopping_ = true;
        // A port thread that opens its link after this looks at Stopping() and closes it itself.
        for (DeviceSession* session : sessions_) {
            if (session->RequestStop()) restoring_ = true;
        }
    }
    if (request_->Urgent() && !urgent_) {
        urgent_ = true;
        for (DeviceSession* session : sessions_) session->RequestStop(true);
    }
    return true;
}

}  // namespace q470
