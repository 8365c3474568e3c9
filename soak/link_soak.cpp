#include "link_soak.h"

#include "line_settings.h"

#include <array>
#include <cstdio>
#include <iterator>
#include <string>
#include <thread>

#include "job_audit.h"
#include "job_budget.h"
#include "job_code.h"
#include "job_follow_up.h"
#include "model_jobs.h"
#include "model_kind.h"

namespace q470::soak {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How often the watch looks at a running job: the run's end comes on time, and the watchdog hears of it.
constexpr auto kWatchEvery = 250ms;
constexpr auto kAfterCloseWatch = 100ms;
constexpr std::uint32_t kBaudRates[] = {9600, 19200, 57600, 115200, 230400};

struct Weighted {
    std::int32_t job;  // JobApplyGeneralQ470R etc. stand for "the model's own" where the model matters
    std::uint32_t weight;
};

constexpr std::array<Weighted, 8> kJobMix{{
    {JobIdentify, 6},
    {JobReadQ470R, 10},
    {JobApplyGeneralQ470R, 24},
    {JobApplyGpio, 16},
    {JobApplyFileQ470R, 24},
    {JobRestart, 4},
    {JobFactoryReset, 2},
    {JobReadKs, 2},  // the other family's read on this device
}};

}  // namespace

LinkSoak::LinkSoak(const SoakOptions& options) : SoakRun(options, "link") {}

LinkSoak::~LinkSoak() {
    EndDevice();
}

int LinkSoak::Run() {
    const auto start = Clock::now();
    const auto end = start + options_.length;
    stopAt_ = end + kStopGrace;
    int failedConnects = 0;
    while (Clock::now() < end && !report_.Failed() && !stopped_) {
        memory_.Poll();
        if (deviceGone_ || failedConnects >= kFailedConnectsBeforeNewDevice) {
            EndDevice();
            StartDevice();
            failedConnects = 0;
        }
        if ((!session_ || !session_->LinkOpen()) && !Connect()) {
            ++failedConnects;
            continue;
        }
        RunChosenJob();
    }
    memory_.Finish();
    EndDevice();
    return Verdict(start);
}

void LinkSoak::DeviceStarted() {
    baudRate_ = kBaudRates[random_.Below(std::size(kBaudRates))];
    deviceGone_ = false;
    std::lock_guard<std::mutex> lock(mutex_);
    errorsAtDeviceStart_ = errors_;
}

void LinkSoak::EndDevice() {
    Beat("closing the port");
    Disconnect();
    device_.Stop();
    std::lock_guard<std::mutex> lock(mutex_);
    errorsHandled_ = errors_;
}

// As the window connects: open, identify, read; a failed job disconnects.
bool LinkSoak::Connect() {
    Disconnect();
    if (!device_.Running() || report_.Failed()) return false;
    Beat("opening the port");
    device_.Ledger().KeepLine({baudRate_, 8, 0, 0});
    session_ = std::make_unique<DeviceSession>(ConnectionLine{baudRate_, 8, 0, 0});
    DeviceSession& session = *session_;
    session.SetLinkFolders({});  // a pseudo-terminal has no stable link to look for
    // The last lines on the wire, printed with a broken invariant: what the job saw.
    session.SetObserver([this](LinkTraffic traffic, std::string_view bytes, Clock::time_point when) {
        traffic_.Add(traffic, bytes, when);
    });
    // The window closes the link when it reports an error: the watch does that under the job.
    session.DeviceLink().errorCallback = [this, &session](Q470Comm*, std::error_code&) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++errors_;
        }
        changed_.notify_all();
        session.NudgeJobWatch();
    };
    session.SetJobWatch({[this](std::int32_t job) { return BudgetOf(job); }, [this] { WatchJob(); }, kWatchEvery});
    if (const auto error = session.Open(device_.Modem().PortPath())) {
        report_.Fail("cannot open the simulated device's port: " + error.message());
        Disconnect();
        return false;
    }
    finalLineAtRisk_ = false;
    const auto identified = RunJob(JobIdentify);
    if (identified == JobSucceeded && session_) {
        const auto read = RunJob(ReadJobOf(session_->Device().modelKind));
        if (read == JobSucceeded) return true;
    }
    Disconnect();
    return false;
}

void LinkSoak::Disconnect() {
    session_.reset();
}

std::int32_t LinkSoak::ChooseJob() {
    std::uint32_t total = 0;
    for (const auto& entry : kJobMix) total += entry.weight;
    std::uint32_t draw = random_.Below(total);
    std::int32_t job = JobIdentify;
    for (const auto& entry : kJobMix) {
        if (draw < entry.weight) {
            job = entry.job;
            break;
        }
        draw -= entry.weight;
    }
    const std::uint32_t model = session_->Device().modelKind;
    const bool ks = IsKsFamily(model);
    switch (job) {
        case JobReadQ470R:
            return ReadJobOf(model);
        case JobReadKs:
            return ks ? JobReadQ470R : JobReadKs;
        case JobApplyGeneralQ470R:
            return ApplyGeneralJobOf(model);
        case JobApplyFileQ470R:
            return ApplyFileJobOf(model);
        case JobApplyGpio:  // the window offers it only for a Q470R
            return ks && random_.Chance(0.8) ? JobApplyGeneralKs : JobApplyGpio;
        default:
            return job;
    }
}

void LinkSoak::RunChosenJob() {
    const std::int32_t job = ChooseJob();
    general_ = inputs_.General();
    gpio_ = inputs_.Gpio();
    items_ = inputs_.Items();
    const auto result = RunJob(job);
    if (!result || !session_) return;
    // What the window does with these results: files restart the device or read it again, a restart
    // closes the port and connects anew, a failed read or identify disconnects. The association clear
    // after a PAN ID change is the window's own command, not a job: left out here.
    const FollowUp next = NextAfterJob(job, *result, session_->Device(), general_.panId);
    switch (next.step) {
        case FollowUpStep::Restart:
        case FollowUpStep::ReadAgain: {
            const auto nextResult = RunJob(next.job);
            if (nextResult && (next.step == FollowUpStep::Restart || *nextResult != JobSucceeded)) Disconnect();
            return;
        }
        case FollowUpStep::Reconnect:
        case FollowUpStep::Disconnect:
            Disconnect();
            return;
        case FollowUpStep::None:
        case FollowUpStep::Read:
        case FollowUpStep::ClearAssociations:
            return;
    }
}

std::optional<std::int32_t> LinkSoak::RunJob(std::int32_t job) {
    if (!session_ || !session_->LinkOpen() || report_.Failed()) return std::nullopt;
    Settle();
    if (ErrorPending()) {
        AfterHangUp();
        return std::nullopt;
    }
    Beat(JobName(job));
    JobRecord run = StartRecord(job);
    const std::size_t mark = device_.Ledger().Mark();
    jobRun_ = 0;
    closedUnderJob_ = false;
    const StepResult step = RunStep(job);
    run.deviceGone = closedUnderJob_;
    if (session_->JobOverran()) {
        report_.Fail(std::string("hang: job ") + JobName(job) + " posted no result within " +
                     std::to_string(jobBudget_.count()) + " ms");
        return std::nullopt;
    }
    if (jobRun_ != job) {
        report_.Fail(std::string("the session ran ") + JobName(jobRun_) + " for " + JobName(job));
        return std::nullopt;
    }
    // A hang-up ends the job at once: its result may come before the link's error report, and then the
    // job ran into the close all the same.
    if (device_.Ledger().HangUpDue()) run.deviceGone = true;
    run.entries = device_.Ledger().Since(mark);
    device_.Ledger().Forget(mark);
    for (const auto& entry : run.entries) finalLineAtRisk_ = finalLineAtRisk_ || MayLeaveFinalLineOwed(entry);
    run.outOfStep = session_->DeviceLink().OutOfStep();
    if (run.outOfStep && !finalLineAtRisk_) {
        report_.Fail(JobAudit::Describe(run) + "\n  the link stopped sending although every final line came");
    }
    device_.Modem().ClearTranscript();
    Conclude(step.jobResult, run);
    CheckBuffers(session_->DeviceLink());
    if (stopped_) return std::nullopt;
    if (run.deviceGone || device_.Ledger().HangUpDue()) {
        AfterHangUp();
        return std::nullopt;
    }
    if (!step.jobResult) return std::nullopt;
    return run.result;
}

StepResult LinkSoak::RunStep(std::int32_t job) {
    DeviceSession& session = *session_;
    switch (job) {
        case JobIdentify:
            return session.Identify();
        case JobReadQ470R:
        case JobReadKs:
            return job == ReadJobOf(session.Device().modelKind) ? session.Read() : session.Read(job);
        case JobApplyGeneralQ470R:
        case JobApplyGeneralKs:
            return session.WriteGeneral(general_);
        case JobApplyGpio:
            return session.WriteGpio(gpio_);
        case JobApplyFileQ470R:
        case JobApplyFileKs:
            return session.WriteFile(items_);
        default:  // restart, factory reset
            return session.Restart(job);
    }
}

JobRecord LinkSoak::StartRecord(std::int32_t job) const {
    const DeviceState& state = session_->Device();
    JobRecord run;
    run.job = job;
    run.quietAtStart = state.quietMode;
    run.firmwareAtStart = FirmwareText(state);
    run.rxPullUpAtStart = DeviceHasRxPullUp(state);
    run.general = general_;
    run.gpio = gpio_;
    run.items = items_;
    return run;
}

std::chrono::milliseconds LinkSoak::BudgetOf(std::int32_t job) {
    jobRun_ = job;
    jobBudget_ = JobBudget::For(job, baudRate_, items_.size());
    return jobBudget_;
}

// Closes the link as soon as it reports an error, as the window does, or once the run is over; the
// session goes on waiting: the job still has to end, and quickly.
void LinkSoak::WatchJob() {
    watchdog_.Beat("waiting for a job's result");
    if (closedUnderJob_) return;
    std::unique_lock<std::mutex> lock(mutex_);
    const bool error = errors_ > errorsHandled_;
    if (!error && Clock::now() < stopAt_) return;
    stopped_ = !error;
    lock.unlock();
    session_->Close();
    closedUnderJob_ = true;
}

// Only a job closed under by the port may be dropped.
void LinkSoak::Conclude(std::optional<std::int32_t> result, JobRecord& run) {
    if (!result) {
        report_.JobDropped(run.job);
        if (!run.deviceGone) report_.Fail(std::string("job ") + JobName(run.job) + " dropped on an open port");
        return;
    }
    run.result = *result;
    report_.JobEnded(run.job, run.result);
    if (options_.trace) std::printf("%s\n", JobAudit::Describe(run).c_str());
    Audit(run);
}

void LinkSoak::Audit(const JobRecord& run) {
    const DeviceState& state = session_->Device();
    std::string violation;
    switch (run.job) {
        case JobIdentify:
            violation = JobAudit::CheckIdentify(run, state, device_.Modem().Settings());
            break;
        case JobReadQ470R:
        case JobReadKs:
            violation = JobAudit::CheckRead(run, state, device_.Modem().Settings());
            break;
        case JobRestart:
        case JobFactoryReset:
            if (run.result != JobSucceeded) violation = "a restart reported " + std::to_string(run.result);
            break;
        default:
            violation = JobAudit::CheckApply(run);
    }
    if (violation.empty()) return;
    std::string lines;
    for (const auto& entry : traffic_.Since(0)) {
        const double ms = std::chrono::duration<double, std::milli>(entry.time - traffic_.Start()).count();
        lines += "\n    " + TrafficLine(ms, {}, entry.traffic, entry.bytes);
    }
    report_.Fail(violation + "\n  the last lines on the wire:" + lines);
}

bool LinkSoak::ErrorPending() {
    std::lock_guard<std::mutex> lock(mutex_);
    return errors_ > errorsHandled_;
}

// The device hung up (or is about to): its end must be reported at least once, nothing may be
// reported once the port is closed, and the device is replaced.
void LinkSoak::AfterHangUp() {
    Beat("waiting for the hang-up's report");
    std::unique_lock<std::mutex> lock(mutex_);
    const bool reported = changed_.wait_for(lock, kHangUpReportLimit, [&] { return errors_ > errorsAtDeviceStart_; });
    lock.unlock();
    if (!device_.Ledger().HangUpDue()) {
        report_.Fail("the link reported an error but the device had not hung up");
    } else if (!reported) {
        report_.Fail("the device hung up but the link reported nothing");
    }
    // The session stays until the watch is over: its link is the one that must keep quiet.
    if (session_) session_->Close();
    lock.lock();
    const std::uint64_t atClose = errors_;
    lock.unlock();
    std::this_thread::sleep_for(kAfterCloseWatch);
    lock.lock();
    if (errors_ != atClose) report_.Fail("the link reported an error after it was closed");
    ++report_.hangUps;
    report_.errorCallbacks += errors_ - errorsAtDeviceStart_;
    if (errors_ - errorsAtDeviceStart_ > 1) report_.extraCallbacks += errors_ - errorsAtDeviceStart_ - 1;
    errorsHandled_ = errors_;
    lock.unlock();
    Disconnect();
    deviceGone_ = true;
}

// As a person waits before the next click: the last answer's trailing lines are in.
void LinkSoak::Settle() {
    if (!device_.Running() || !session_ || !session_->LinkOpen()) return;
    std::this_thread::sleep_until(device_.Ledger().QuietAt());
}

}  // namespace q470::soak
