#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "port_watch.h"

namespace q470 {

// Named ports (typically a fixture's /dev/serial/by-path/ link) that may not exist yet: told as
// appeared when the path leads to a character device, as vanished when it no longer does, and as
// vanished and appeared again when a link is pointed at another device. The folders on the way are
// watched with inotify (a folder that does not exist yet through the nearest one that does, and the
// folder of a link's device, which may vanish while the link stays); where inotify cannot be used the
// paths are looked at every `pollInterval` instead.
class NamedPortWatch final : public PortWatch {
public:
    static constexpr std::chrono::milliseconds kPollInterval{250};

    explicit NamedPortWatch(std::vector<std::string> paths, std::chrono::milliseconds pollInterval = kPollInterval,
                            bool forcePolling = false);
    ~NamedPortWatch() override;

    bool Start(Sink sink, std::error_code& error) override;
    void Stop() override;
    std::vector<std::string> NamedPorts() const override { return paths_; }
    bool Notified() const override;

private:
    // What a present path leads to: a re-pointed link leads to another device.
    struct Target {
        bool present = false;
        dev_t device = 0;
        ino_t inode = 0;
        dev_t rdev = 0;
        bool operator==(const Target& other) const {
            return present == other.present && device == other.device && inode == other.inode && rdev == other.rdev;
        }
    };

    void Run();
    // Watches every folder the paths depend on now; false when one could not be watched.
    bool Arm();
    void Look();
    std::vector<std::string> FoldersFor(const std::string& path) const;

    std::vector<std::string> paths_;
    std::chrono::milliseconds pollInterval_;
    bool forcePolling_;
    Sink sink_;
    std::vector<Target> targets_;
    int inotify_ = -1;
    int wake_ = -1;
    bool polling_ = false;
    std::map<std::string, int> watches_;  // folder -> watch descriptor
    mutable std::mutex mutex_;            // polling_ for Notified()
    std::thread thread_;
};

}  // namespace q470
