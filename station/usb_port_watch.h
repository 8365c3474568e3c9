#pragma once

#include <chrono>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "port_watch.h"

struct udev;
struct udev_monitor;

namespace q470 {

// Every USB serial port (ttyUSB*, ttyACM*) that appears or vanishes, as udev tells it (the kernel's
// own messages where no udev daemon runs, as in a container). Where neither can be heard, the device
// folder is looked at every `pollInterval` instead.
class UsbPortWatch final : public PortWatch {
public:
    static constexpr std::chrono::milliseconds kPollInterval{250};

    struct Options {
        bool includePresent = false;  // tell the ports already there at the start as appeared
        std::string deviceFolder = "/dev";
        bool forcePolling = false;
        std::chrono::milliseconds pollInterval = kPollInterval;
    };

    explicit UsbPortWatch(Options options);
    ~UsbPortWatch() override;

    bool Start(Sink sink, std::error_code& error) override;
    void Stop() override;
    std::vector<std::string> NamedPorts() const override { return {}; }
    bool Notified() const override { return monitor_ != nullptr; }

private:
    bool OpenMonitor();
    void CloseMonitor();
    std::set<std::string> Listed() const;
    void Run();
    void Receive();
    void LookAgain();

    Options options_;
    Sink sink_;
    udev* udev_ = nullptr;
    udev_monitor* monitor_ = nullptr;
    int wake_ = -1;
    std::set<std::string> present_;  // the polling's last look
    std::thread thread_;
};

}  // namespace q470
