#pragma once

#include <atomic>
#include <mutex>
#include <vector>

#include "device_session.h"
#include "stop_request.h"

namespace q470 {

// Stops a run on request. A port whose job holds a quiet device's answers switched on is left to end
// the command under way and switch them off again; every other port's device link is closed, which
// makes a running job fail at once and every later one be dropped. Asked again, it closes every link.
// Sessions are attached by the port threads and stopped by the thread that watches the stop request.
class RunControl {
public:
    explicit RunControl(const StopRequest* request) : request_(request) {}

    // False once stopping: the caller must not open the link.
    bool Attach(DeviceSession& session);
    void Detach(DeviceSession& session);
    bool Stopping() const { return stopping_.load(); }
    int Signal() const { return signal_.load(); }
    // A stopping port is putting its device's quiet mode back before it ends.
    bool RestoringQuietMode() const { return restoring_.load(); }

    // When a stop has been requested: stops every attached session (once, and at once when asked
    // again) and returns true.
    bool PollStop();

private:
    const StopRequest* request_;
    std::mutex mutex_;
    std::vector<DeviceSession*> sessions_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> restoring_{false};
    bool urgent_ = false;  // under mutex_
    std::atomic<int> signal_{0};
};

}  // namespace q470
