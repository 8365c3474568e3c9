#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "apply_trail.h"
#include "general_settings.h"
#include "gpio_settings.h"
#include "job_code.h"
#include "job_follow_up.h"
#include "job_host.h"
#include "job_input.h"
#include "job_worker.h"
#include "port_names.h"
#include "q470comm.h"
#include "session_step.h"
#include "setting_check.h"
#include "write_follow_up.h"
#include "write_verifier.h"

namespace q470 {

// Working with one device on one port: the jobs the window runs, one after the other, each waited for
// on the calling thread, and what each step came to. Another thread may only ask it to stop (or nudge
// its job watch).
class DeviceSession final : public JobHost {
public:
    using Progress = std::function<void(SessionStep)>;

    // For a caller that watches each job as it runs (a soak run, a harness that plays a device going
    // away). `budget` bounds the wait for a job's end: a job still going past it is given up on, its
    // step ends HungUp and JobOverran() says so, and the session is then fit only to be closed. `tick`
    // runs on the session's thread while a job runs, at least every `period` and at once after
    // NudgeJobWatch(); it may close the link there, as the window does when the device hangs up.
    struct JobWatch {
        std::function<std::chrono::milliseconds(std::int32_t job)> budget;
        std::function<void()> tick;
        std::chrono::milliseconds period{1000};
    };

    explicit DeviceSession(const ConnectionLine& line);
    ~DeviceSession();  // closes the link first, so a running job ends quickly, then stops the worker
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // Called as each step starts, on the session's thread.
    void SetProgress(Progress progress) { progress_ = std::move(progress); }
    // What goes over the link (a trace, the lines of a raw command); set before Open.
    void SetObserver(LinkObserver observer) { link_.SetObserver(std::move(observer)); }
    // Set before the first step; without one a job is waited for as long as it takes.
    void SetJobWatch(JobWatch watch) { watch_ = std::move(watch); }
    // From any thread (a link's error report, say): the watch's tick runs now, not at its next period.
    void NudgeJobWatch();
    // The last job was given up on at its budget.
    bool JobOverran() const { return overran_; }

    // Where the stable links of ports are looked for (the system's folders unless a caller says).
    void SetLinkFolders(std::vector<std::string> folders) { linkFolders_ = std::move(folders); }
    // Takes the port's names too, while the device is there: a port that goes with a restart is
    // looked for by them.
    std::error_code Open(const std::string& port);
    void Close();
    // From any thread. The job under way ends after its command; a device whose quiet mode a write
    // switched off gets it back first. `urgent` closes the link at once. True while that restore runs
    // (the link stays open until it has).
    bool RequestStop(bool urgent = false);
    bool Stopping() const { return stopping_.load(); }

    StepResult Identify();
    // For a device that named its model on this port just before: only its quiet mode is asked.
    StepResult IdentifyAs(std::uint32_t modelKind);
    // The model's read job; General() and Gpio() then hold what the device reported.
    StepResult Read();
    // The read job named (JobReadQ470R or JobReadKs): the other family's shows how a device takes a
    // read that is not meant for it.
    StepResult Read(std::int32_t readJob);
    StepResult WriteGeneral(const GeneralSettings& record);
    StepResult WriteGpio(const GpioSettings& record);
    StepResult WriteFile(const SettingItemList& items);
    // AT+ASSOCCLR, sent by the session itself after a PAN ID change, as the window does.
    StepResult ClearAssociations();
    // The restart job (JobRestart) or the factory reset (JobFactoryReset).
    StepResult Restart(std::int32_t job = JobRestart);
    // After a restart: waits for the device (and for its port, when that went with the restart, by the
    // name it was opened with or a stable link that led to it), reads it at the line it should now use
    // and compares.
    VerifyReport ReadBack(const std::string& port, std::vector<SettingCheck> checks);
    // After an acknowledged restart without a read-back: when the port went with the restart, waits
    // within the restart budget for it to come back (by the name it was opened with or a stable link
    // that led to it). The link is closed once the port has gone.
    PortReturnReport AwaitPortReturn(const std::string& port);
    // One raw command (`id` as the catalogue knows its text): up to its final line, or on a quiet device
    // as the catalogue ends it. The kind
    // of what ended it is in `kind`.
    StepResult Send(const std::string& text, CommandId id, std::uint32_t timeoutMs, std::int32_t& kind);
    // Lets the device end its last answer before the port is let go.
    void PayOwedFinalLine() { link_.PayOwedFinalLine(); }

    const DeviceState& Device() const { return state_; }
    const ConnectionLine& Connection() const { return input_.line; }
    bool IsQ470R() const;
    // What the last read reported, as records the write jobs take.
    GeneralSettings General() const;
    GpioSettings Gpio() const;
    // The last write job's trail, with the association clear and the restart that followed it.
    const std::optional<ApplyTrail>& WriteTrail() const { return writeTrail_; }
    // What the last successful write calls for next, and the settings it wrote as a read-back compares
    // them.
    FollowUp NextAfterWrite() const;
    const std::vector<SettingCheck>& WrittenChecks() const { return writtenChecks_; }
    // Every step so far, in order.
    const std::vector<TrailEntry>& Trail() const { return trail_; }
    // The link's own state, for a front end that reports on it.
    bool LinkOpen() const { return link_.IsOpen(); }

    Q470Comm& DeviceLink() override { return link_; }
    DeviceState& State() override { return state_; }
    void PostJobResult(std::int32_t job, std::int32_t result) override;
    void JobDropped(std::int32_t job) override;
    void RecordApplyTrail(const ApplyTrail& trail) override { jobTrail_ = trail; }

private:
    std::optional<std::int32_t> RunJob(std::int32_t job);
    StepResult RunStep(std::int32_t job, SessionStep step, bool write);
    // What the device made of a restart-type command, recorded in the trails.
    StepResult TakeAnswer(SessionStep step, CommandId command, std::int32_t answer, bool ran,
                          std::optional<std::int32_t> jobResult);
    void Begin(SessionStep step);
    StepResult Ended(StepResult result, std::vector<AppliedStep> commands = {});
    StepResult Written(std::int32_t job, SessionStep step, std::uint16_t panId);

    Q470Comm link_;
    std::vector<std::string> linkFolders_ = StableLinkFolders();
    PortNames names_;
    JobInput input_;
    DeviceState state_;
    ApplyTrail jobTrail_;
    std::optional<ApplyTrail> writeTrail_;
    std::vector<TrailEntry> trail_;
    std::int32_t writeJob_ = 0;       // the last write job that succeeded
    std::uint16_t panIdWritten_ = 0;  // the PAN ID a general write set
    std::vector<SettingCheck> writtenChecks_;
    Progress progress_;
    JobWatch watch_;
    bool overran_ = false;
    std::atomic<bool> stopping_{false};
    bool identified_ = false;

    std::mutex resultMutex_;
    std::condition_variable resultArrived_;
    std::optional<std::int32_t> result_;
    bool dropped_ = false;
    bool nudged_ = false;

    JobWorker worker_{*this};  // last: it runs jobs on everything above
};

}  // namespace q470
