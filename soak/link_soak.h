#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

#include "job_host.h"
#include "job_input.h"
#include "job_record.h"
#include "job_worker.h"
#include "soak_options.h"
#include "soak_run.h"
#include "traffic_log.h"

namespace q470::soak {

// The device link and the job worker, owned the way the window owns them, against simulated devices
// that misbehave at random. Runs jobs back to back for the run's length and checks after every job
// that it ended in time and that its result agrees with what the device did; a device that hangs up
// is closed, checked for its error report, and replaced by a new one.
class LinkSoak final : public SoakRun, public JobHost {
    static constexpr std::size_t kTrafficLines = 40;

public:
    explicit LinkSoak(const SoakOptions& options);
    ~LinkSoak();

    int Run();  // 0 when every invariant held

    Q470Comm& DeviceLink() override { return link_; }
    DeviceState& State() override { return state_; }
    void PostJobResult(std::int32_t job, std::int32_t result) override;
    void JobDropped(std::int32_t job) override;

private:
    enum class Outcome { Result, Dropped, Hung };

    void DeviceStarted() override;
    void EndDevice();
    bool Connect();
    void Disconnect();
    void RunChosenJob();
    std::int32_t ChooseJob();
    // Runs one job to its end and checks it: its result, or nothing when the job was dropped, the
    // device went away or the run failed.
    std::optional<std::int32_t> RunJob(std::int32_t job);
    JobRecord StartRecord(std::int32_t job) const;
    Outcome PushAndWait(std::int32_t job, bool& closedUnderJob);
    Outcome WaitForOutcome(std::chrono::steady_clock::time_point deadline, bool& closedUnderJob);
    void Conclude(Outcome outcome, JobRecord& run);
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
    Q470Comm link_;
    std::uint32_t baudRate_ = 115200;
    JobInput input_;  // what the next job is queued with
    DeviceState state_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<std::int32_t> result_;
    bool dropped_ = false;
    std::uint64_t errors_ = 0;  // error reports of the link so far
    std::uint64_t errorsHandled_ = 0;

    JobWorker worker_{*this};  // last: its jobs use everything above
};

}  // namespace q470::soak
