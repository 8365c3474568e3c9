#pragma once

#include <chrono>
#include <string>

#include "fault_chooser.h"
#include "q470comm.h"
#include "random_inputs.h"
#include "rss_monitor.h"
#include "soak_device.h"
#include "soak_options.h"
#include "soak_report.h"
#include "watchdog.h"

namespace q470::soak {

// What both soak programs hold: the run's options, the one seeded generator every random choice comes
// from and the job inputs drawn from it, the report, the memory samples, the watchdog and the current
// device; and the checks and the verdict that do not depend on who owns the device link.
class SoakRun {
public:
    SoakRun(const SoakRun&) = delete;
    SoakRun& operator=(const SoakRun&) = delete;

protected:
    // Past the run's end a job still going gets this long before the run cuts it short.
    static constexpr std::chrono::seconds kStopGrace{2};
    // A hang-up reaches the owner of the device link within this, however busy the machine.
    static constexpr std::chrono::seconds kHangUpReportLimit{5};
    // Connections failed in a row before the device is replaced.
    static constexpr int kFailedConnectsBeforeNewDevice = 2;

    SoakRun(const SoakOptions& options, const char* name);
    virtual ~SoakRun() = default;

    // Starts the next device, counts it and hands it to DeviceStarted; a device that cannot be started
    // fails the run.
    void StartDevice();
    virtual void DeviceStarted() = 0;
    // A name of the run's own for the device's port (a link to its pseudo-terminal), or "" for the
    // pseudo-terminal's: a name that no other program's port can take over once the device is gone.
    virtual std::string PortLink() { return {}; }
    // The memory check and the figures of a run begun at `start`, once everything is closed and the
    // final memory sample taken: 0 when every invariant held.
    int Verdict(std::chrono::steady_clock::time_point start);
    void CheckBuffers(Q470Comm& link);
    void Beat(const std::string& what);  // what the run is doing on the current device

    const SoakOptions options_;
    FaultChooser random_;
    RandomInputs inputs_{random_};
    SoakReport report_;
    RssMonitor memory_;
    Watchdog watchdog_;
    SoakDevice device_;
};

}  // namespace q470::soak
