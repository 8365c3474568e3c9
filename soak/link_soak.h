#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "device_session.h"
#include "general_settings.h"
#include "gpio_settings.h"
#include "job_record.h"
#include "setting_item.h"
#include "soak_options.h"
#include "soak_run.h"
#include "traffic_log.h"

namespace q470::soak {

// Device sessions, as every front end runs them, against simulated devices that misbehave at random.
// Runs the session's steps back to back for the run's length and checks after every job that it ended
// in time and that its result agrees with what the device did; a device that hangs up is closed under
// the job as the window does, checked for its error report, and replaced by a new one. Each connection
// is a session of its own, at the device's line.
class LinkSoak final : public SoakRun {
    static constexpr std::size_t kTrafficLines = 40;

public:
    explicit LinkSoak(const SoakOptions& options);
    ~LinkSoak();

    int Run();  // 0 when every invariant held

private:
    void DeviceStarted() override;
    void EndDevice();
    bool Connect();
    void Disconnect();  // ends the session: its link is closed first, then its worker stopped
    void RunChosenJob();
    std::int32_t ChooseJob();
    // Runs one job through the session to its end and checks it: its result, or nothing when the job
    // was dropped, the device went away or the run failed.
    std::optional<std::int32_t> RunJob(std::int32_t job);
    // The session's step that runs `job`.
    StepResult RunStep(std::int32_t job);
    JobRecord StartRecord(std::int32_t job) const;
    std::chrono::milliseconds BudgetOf(std::int32_t job);
    void WatchJob();
    void Conclude(std::optional<std::int32_t> result, JobRecord& run);
    void Audit(const JobRecord& run);
    void AfterHangUp();
    bool ErrorPending();
    void Settle();

    bool deviceGone_ = true;
    // Since the port opened, a query's final line may have been kept from the link (a fault that delays
    // or breaks it): only then may the link stop sending.
    bool finalLineAtRisk_ = false;
    // Past the run's end a job still waiting is cut short as an owner disconnecting would.
    std::chrono::steady_clock::time_point stopAt_{};
    bool stopped_ = false;
    std::uint64_t errorsAtDeviceStart_ = 0;

    TrafficLog traffic_{kTrafficLines};
    std::uint32_t baudRate_ = 115200;
    // What the next job is given.
    GeneralSettings general_;
    GpioSettings gpio_;
    SettingItemList items_;
    // The job under way, as the session's watch sees it.
    std::int32_t jobRun_ = 0;  // the job the session pushed
    std::chrono::milliseconds jobBudget_{0};
    bool closedUnderJob_ = false;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t errors_ = 0;  // error reports of the link so far
    std::uint64_t errorsHandled_ = 0;

    std::unique_ptr<DeviceSession> session_;  // last: its link reports to everything above
};

}  // namespace q470::soak
