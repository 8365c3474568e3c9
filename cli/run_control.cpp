#include "run_control.h"

#include <algorithm>

namespace q470 {

bool RunControl::Attach(Q470Comm& link) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return false;
    links_.push_back(&link);
    return true;
}

void RunControl::Detach(Q470Comm& link) {
    std::lock_guard<std::mutex> lock(mutex_);
    links_.erase(std::remove(links_.begin(), links_.end(), &link), links_.end());
}

bool RunControl::PollStop() {
    if (stopping_) return true;
    const int signal = request_ ? request_->Signal() : 0;
    if (signal == 0) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    signal_ = signal;
    stopping_ = true;
    // A port thread that opens its link after this looks at Stopping() and closes it itself.
    for (Q470Comm* link : links_) link->Close();
    return true;
}

}  // namespace q470
