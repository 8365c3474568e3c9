#include "link_soak.h"

#include "line_settings.h"

#include <algorithm>
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

constexpr auto kBeatEvery = 1s;
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

LinkSoak::LinkSoak(const SoakOptions& options) : SoakRun(options, "link") {
    // The last lines on the wire, printed with a broken invariant: what the job saw.
    link_.SetObserver([this](LinkTraffic traffic, std::string_view bytes, std::chrono::steady_clock::time_point when) {
        traffic_.Add(traffic, bytes, when);
    });
    link_.errorCallback = [this](Q470Comm*, std::error_code&) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++errors_;
        }
        changed_.notify_all();
    };
}

LinkSoak::~LinkSoak() {
    EndDevice();
}

void LinkSoak::PostJobResult(std::int32_t /*job*/, std::int32_t result) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        result_ = result;
    }
    changed_.notify_all();
}

void LinkSoak::JobDropped(std::int32_t /*job*/) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        dropped_ = true;
    }
    changed_.notify_all();
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
        if (!link_.IsOpen() && !Connect()) {
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

// As the window connects: open, start the worker, identify, read; a failed job disconnects.
bool LinkSoak::Connect() {
    if (!device_.Running() || report_.Failed()) return false;
    Beat("opening the port");
    device_.Ledger().KeepLine({baudRate_, 8, 0, 0});
    input_.line = ConnectionLine{baudRate_, 8, 0, 0};
    if (const auto error = link_.Open(device_.Modem().PortPath(), baudRate_, 8, 0, 0)) {
        report_.Fail("cannot open the simulated device's port: " + error.message());
        return false;
    }
    finalLineAtRisk_ = false;
    worker_.StartWorker();
    const auto identified = RunJob(JobIdentify);
    if (identified == JobSucceeded) {
        const auto read = RunJob(ReadJobOf(state_.modelKind));
        if (read == JobSucceeded) return true;
    }
    Disconnect();
    return false;
}

void LinkSoak::Disconnect() {
    link_.Close();
    worker_.StopWorker();
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
    const bool ks = IsKsFamily(state_.modelKind);
    switch (job) {
        case JobReadQ470R:
            return ReadJobOf(state_.modelKind);
        case JobReadKs:
            return ks ? JobReadQ470R : JobReadKs;
        case JobApplyGeneralQ470R:
            return ApplyGeneralJobOf(state_.modelKind);
        case JobApplyFileQ470R:
            return ApplyFileJobOf(state_.modelKind);
        case JobApplyGpio:  // the window offers it only for a Q470R
            return ks && random_.Chance(0.8) ? JobApplyGeneralKs : JobApplyGpio;
        default:
            return job;
    }
}

void LinkSoak::RunChosenJob() {
    const std::int32_t job = ChooseJob();
    input_.general = inputs_.General();
    input_.gpio = inputs_.Gpio();
    input_.fileItems = inputs_.Items();
    const auto result = RunJob(job);
    if (!result) return;
    // What the window does with these results: files restart the device or read it again, a restart
    // closes the port and connects anew, a failed read or identify disconnects. The association clear
    // after a PAN ID change is the window's own command, not a job: left out here.
    const FollowUp next = NextAfterJob(job, *result, state_, input_.general.panId);
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
    if (!link_.IsOpen() || report_.Failed()) return std::nullopt;
    Settle();
    if (ErrorPending()) {
        AfterHangUp();
        return std::nullopt;
    }
    Beat(JobName(job));
    JobRecord run = StartRecord(job);
    const std::size_t mark = device_.Ledger().Mark();
    const Outcome outcome = PushAndWait(job, run.deviceGone);
    if (outcome == Outcome::Hung) return std::nullopt;
    // A hang-up ends the job at once: its result may come before the link's error report, and then the
    // job ran into the close all the same.
    if (device_.Ledger().HangUpDue()) run.deviceGone = true;
    run.entries = device_.Ledger().Since(mark);
    device_.Ledger().Forget(mark);
    for (const auto& entry : run.entries) finalLineAtRisk_ = finalLineAtRisk_ || MayLeaveFinalLineOwed(entry);
    run.outOfStep = link_.OutOfStep();
    if (run.outOfStep && !finalLineAtRisk_) {
        report_.Fail(JobAudit::Describe(run) + "\n  the link stopped sending although every final line came");
    }
    device_.Modem().ClearTranscript();
    Conclude(outcome, run);
    CheckBuffers(link_);
    if (stopped_) return std::nullopt;
    if (run.deviceGone || device_.Ledger().HangUpDue()) {
        AfterHangUp();
        return std::nullopt;
    }
    if (outcome != Outcome::Result) return std::nullopt;
    return run.result;
}

JobRecord LinkSoak::StartRecord(std::int32_t job) const {
    JobRecord run;
    run.job = job;
    run.quietAtStart = state_.quietMode;
    run.firmwareAtStart = FirmwareText(state_);
    run.rxPullUpAtStart = DeviceHasRxPullUp(state_);
    run.general = input_.general;
    run.gpio = input_.gpio;
    run.items = input_.fileItems;
    return run;
}

LinkSoak::Outcome LinkSoak::PushAndWait(std::int32_t job, bool& closedUnderJob) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        result_.reset();
        dropped_ = false;
    }
    worker_.PushJob(job, input_);
    const auto budget = JobBudget::For(job, baudRate_, input_.fileItems.size());
    const Outcome outcome = WaitForOutcome(Clock::now() + budget, closedUnderJob);
    if (outcome == Outcome::Hung) {
        report_.Fail(std::string("hang: job ") + JobName(job) + " posted no result within " +
                     std::to_string(budget.count()) + " ms");
    }
    return outcome;
}

// Only a job closed under by the port may be dropped.
void LinkSoak::Conclude(Outcome outcome, JobRecord& run) {
    if (outcome == Outcome::Dropped) {
        report_.JobDropped(run.job);
        if (!run.deviceGone) report_.Fail(std::string("job ") + JobName(run.job) + " dropped on an open port");
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        run.result = *result_;
    }
    report_.JobEnded(run.job, run.result);
    if (options_.trace) std::printf("%s\n", JobAudit::Describe(run).c_str());
    Audit(run);
}

// Closes the link as soon as it reports an error, as the window does, or once the run is over, and
// goes on waiting: the job still has to end, and quickly.
LinkSoak::Outcome LinkSoak::WaitForOutcome(Clock::time_point deadline, bool& closedUnderJob) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (result_) return Outcome::Result;
        if (dropped_) return Outcome::Dropped;
        const auto now = Clock::now();
        if (!closedUnderJob && (errors_ > errorsHandled_ || now >= stopAt_)) {
            stopped_ = errors_ == errorsHandled_;
            lock.unlock();
            link_.Close();
            closedUnderJob = true;
            lock.lock();
            continue;
        }
        if (now >= deadline) return Outcome::Hung;
        changed_.wait_until(lock, std::min({deadline, stopAt_, now + kBeatEvery}));
        watchdog_.Beat("waiting for a job's result");
    }
}

void LinkSoak::Audit(const JobRecord& run) {
    std::string violation;
    switch (run.job) {
        case JobIdentify:
            violation = JobAudit::CheckIdentify(run, state_, device_.Modem().Settings());
            break;
        case JobReadQ470R:
        case JobReadKs:
            violation = JobAudit::CheckRead(run, state_, device_.Modem().Settings());
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
    Disconnect();
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
    deviceGone_ = true;
}

// As a person waits before the next click: the last answer's trailing lines are in.
void LinkSoak::Settle() {
    if (!device_.Running() || !link_.IsOpen()) return;
    std::this_thread::sleep_until(device_.Ledger().QuietAt());
}

}  // namespace q470::soak
