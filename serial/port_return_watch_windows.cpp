// Windows: a COM port that comes back is listed again under its name; the list is looked at every
// poll interval.
#include <string.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "enumerate_serial_ports.h"
#include "port_return_watch.h"

namespace q470 {

struct PortReturnWatch::Impl {
    explicit Impl(PortNames portNames) : names(std::move(portNames)) {}

    bool Listed() const {
        std::vector<SerialPortEntry> ports;
        EnumerateSerialPorts(ports);
        return std::any_of(ports.begin(), ports.end(), [&](const SerialPortEntry& entry) {
            return _stricmp(entry.portName.c_str(), names.openedAs.c_str()) == 0;
        });
    }

    PortNames names;
    bool seenGone = false;
    std::mutex mutex;
    std::condition_variable cancel;
    bool cancelled = false;
};

PortReturnWatch::PortReturnWatch(PortNames names) : impl_(std::make_unique<Impl>(std::move(names))) {}

PortReturnWatch::~PortReturnWatch() = default;

PortReturn PortReturnWatch::Wait(std::chrono::milliseconds budget) {
    Impl& w = *impl_;
    const auto deadline = std::chrono::steady_clock::now() + budget;
    std::unique_lock<std::mutex> lock(w.mutex);
    for (;;) {
        if (w.cancelled) return {PortReturn::Outcome::Cancelled, {}};
        const bool listed = w.Listed();
        if (!listed) w.seenGone = true;
        if (listed && w.seenGone) return {PortReturn::Outcome::Back, w.names.openedAs};
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return {PortReturn::Outcome::TimedOut, {}};
        w.cancel.wait_for(lock, std::min<std::chrono::steady_clock::duration>(deadline - now, kPollInterval));
    }
}

void PortReturnWatch::Cancel() {
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        impl_->cancelled = true;
    }
    impl_->cancel.notify_all();
}

}  // namespace q470
