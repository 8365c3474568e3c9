#pragma once

#include <atomic>
#include <mutex>
#include <vector>

#include "q470comm.h"
#include "stop_request.h"

namespace q470 {

// Stops a run on request: closes every device link in use, which makes a running job fail at once
// and every later one be dropped. Links are attached by the port threads and closed by the thread
// that watches the stop request.
class RunControl {
public:
    explicit RunControl(const StopRequest* request) : request_(request) {}

    // False once stopping: the caller must not open the link.
    bool Attach(Q470Comm& link);
    void Detach(Q470Comm& link);
    bool Stopping() const { return stopping_.load(); }
    int Signal() const { return signal_.load(); }

    // When a stop has been requested: closes every attached link (once) and returns true.
    bool PollStop();

private:
    const StopRequest* request_;
    std::mutex mutex_;
    std::vector<Q470Comm*> links_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> signal_{0};
};

}  // namespace q470
