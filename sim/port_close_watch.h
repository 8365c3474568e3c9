#pragma once

#include <map>
#include <mutex>
#include <string>

namespace q470::sim {

// Notices when a program closes a simulated port and drops the exclusive mode (TIOCEXCL) it may have
// taken. A pseudo-terminal's tty lives on with its master, so the flag outlasts the program and would
// refuse its next opening of the port without root rights; a real serial port forgets it on the last
// close. One inotify instance serves the whole process: instances are a scarce per-user resource and
// closing one costs a kernel grace period (about 10 ms), which thousands of start/stop cycles would feel.
class PortCloseWatch {
public:
    static PortCloseWatch& Instance();

    // Watches `path`; `keptSlave` is the simulator's own descriptor of it. Returns the watch (or -1 when
    // the port cannot be watched: it still works, only a non-root reopening may be refused).
    int Watch(const std::string& path, int keptSlave);
    // Must come before `keptSlave` is closed.
    void Unwatch(int watch);

    int Fd() const { return fd_; }  // readable when some watched port was closed; -1 without inotify
    // Reads the pending events and releases the exclusive mode of each port that was closed.
    void OnReadable();

private:
    PortCloseWatch();

    int fd_ = -1;
    std::mutex mutex_;
    std::map<int, int> keptSlaves_;  // watch → the simulator's descriptor of that port
};

}  // namespace q470::sim
