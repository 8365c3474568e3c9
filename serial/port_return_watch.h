#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "port_names.h"

namespace q470 {

struct PortReturn {
    enum class Outcome { Back, TimedOut, Cancelled };

    Outcome outcome = Outcome::TimedOut;
    std::string name;  // Back: the name to open the port by now
};

// Waits for a port that has gone away (its device restarted and left the bus) to come back: by the name
// it was opened with, or by one of the stable links that led to it then. A name counts once it leads to
// a device node again that is not the one the port had, or that it has been seen without while
// watching: the node a restarting device leaves behind for a moment does not count. The name it was
// opened with wins when a link leads to the same node (or none is back yet); otherwise a link that is
// back wins, since a name the kernel gives out again may now belong to another device.
//
// Call it once the port is known to be gone or dead (a hang-up, a failed reopening): a port that never
// left keeps its node and is not found. Linux watches the folders of the names
// (inotify) and looks again at least every kPollInterval besides, for names the watch cannot see
// (pseudo-terminals, folders that do not exist yet); elsewhere it looks every kPollInterval.
class PortReturnWatch {
public:
    static constexpr std::chrono::milliseconds kPollInterval{100};

    explicit PortReturnWatch(PortNames names);
    ~PortReturnWatch();
    PortReturnWatch(const PortReturnWatch&) = delete;
    PortReturnWatch& operator=(const PortReturnWatch&) = delete;

    // Waits at most `budget`. Returns at once when the port is back already, or once Cancel was called.
    PortReturn Wait(std::chrono::milliseconds budget);
    // From any thread: the Wait under way, and every later one, ends at once with Cancelled.
    void Cancel();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace q470
