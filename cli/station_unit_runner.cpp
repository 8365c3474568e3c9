#include "station_unit_runner.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <thread>

#include "device_probe.h"
#include "device_records.h"
#include "model_kind.h"
#include "port_discovery.h"
#include "progress_reporter.h"
#include "run_control.h"
#include "stop_request.h"
#include "verify_report.h"

namespace q470 {
namespace {

// How often a unit's run looks at the station's stop.
constexpr std::chrono::milliseconds kStopPoll{20};
// A port where nothing answers at the expected lines is searched at every rate no more often than this:
// an adapter waiting for its modem is not to be kept busy.
constexpr std::chrono::seconds kSearchInterval{30};
// Nor before it has been silent this long: a unit just plugged in may take a moment to answer.
constexpr std::chrono::seconds kSilentBeforeSearch{2};

std::ostream& NoStream() {
    static std::ostream none(nullptr);
    return none;
}

// The steps of the device run as the station counts them; the port's opening is part of finding the line.
class StepFollower final : public ProgressReporter {
public:
    explicit StepFollower(const UnitRunner::StepSink& sink) : ProgressReporter(NoStream(), false, false), sink_(sink) {}

    void Began(const std::string& /*port*/, ToolText step) override {
        UnitStep unitStep;
        switch (step) {
            case ToolText::StepIdentifying:
                unitStep = UnitStep::Identify;
                break;
            case ToolText::StepReading:
                unitStep = UnitStep::Read;
                break;
            case ToolText::StepApplyingFile:
                unitStep = UnitStep::Apply;
                break;
            case ToolText::StepRestarting:
                unitStep = UnitStep::Restart;
                break;
            case ToolText::StepVerifying:
                unitStep = UnitStep::FindAgain;
                break;
            default:
                return;
        }
        current_ = unitStep;
        sink_(unitStep);
    }
    UnitStep Current() const { return current_; }

private:
    const UnitRunner::StepSink& sink_;
    std::atomic<UnitStep> current_{UnitStep::FindLine};
};

// Raises the run's own stop request when the station stops, and keeps the run's control acting on it,
// for as long as the unit's run lasts.
class StopBridge {
public:
    StopBridge(const StopSignal& stop, const std::atomic<bool>& atOnce, StopRequest& request, RunControl& control)
        : thread_([this, &stop, &atOnce, &request, &control] {
              std::unique_lock<std::mutex> lock(mutex_);
              while (!done_) {
                  if (stop.Raised()) {
                      // Asked again, the run's control closes the ports at once.
                      if (request.Requests() == 0 || (atOnce && request.Requests() == 1)) request.Request(SIGINT);
                      control.PollStop();
                  }
                  changed_.wait_for(lock, kStopPoll);
              }
          }) {}
    ~StopBridge() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool done_ = false;
    std::thread thread_;  // last: it uses the members above
};

// Whether running the unit again may help: it went away or did not answer in time.
FailureKind FailureOf(Outcome outcome) {
    switch (outcome) {
        case Outcome::NoAnswer:
        case Outcome::Disconnected:
        case Outcome::NotRestarted:
        case Outcome::NoSuchPort:
        case Outcome::PortBusy:
        case Outcome::PortFailed:
            return FailureKind::Transient;
        default:
            return FailureKind::Final;
    }
}

// The step a failed run stopped at: the check after the restart tells its own part apart.
UnitStep FailedStep(const PortOutcome& outcome, UnitStep current) {
    if (outcome.outcome == Outcome::FileWrongModel) return UnitStep::CheckModel;
    if (!outcome.verify || current != UnitStep::FindAgain) return current;
    switch (outcome.verify->outcome) {
        case VerifyOutcome::Differs:
            return UnitStep::Compare;
        case VerifyOutcome::ReadFailed:
        case VerifyOutcome::OtherDevice:
            return UnitStep::ReadBack;
        default:
            return UnitStep::FindAgain;
    }
}

}  // namespace

StationUnitRunner::StationUnitRunner(const CommandPlan& plan, std::uint32_t profileModel,
                                     std::vector<LineOptions> lines)
    : plan_(plan), profileModel_(profileModel), lines_(std::move(lines)) {}

bool StationUnitRunner::ModelFits(std::uint32_t profileModel, const std::string& model) {
    const std::uint32_t kind = ModelKindFromName(model);
    return kind != 0 && (kind == profileModel || (profileModel == ModelKs410 && kind == ModelKs400));
}

ProbeAnswer StationUnitRunner::Probe(const std::string& port, const StopSignal& stop) {
    ProbeAnswer answer;
    for (const LineOptions& line : lines_) {
        if (stop.Raised()) break;
        Q470Comm link;
        if (const auto error = link.Open(port, line.baudRate, line.dataBits, line.parity, line.stopBits)) {
            answer.kind = ProbeAnswer::Kind::CannotOpen;
            answer.error = error;
            return answer;
        }
        DeviceIdentity identity;
        const IdentityOutcome outcome = ReadIdentity(link, line.baudRate, identity);
        link.Close();
        if (outcome == IdentityOutcome::NoAnswer) continue;
        answer.kind = ProbeAnswer::Kind::Answered;
        if (outcome == IdentityOutcome::Read)
            answer.identity.extendedAddress = FormatExtendedAddress(identity.extendedAddress);
        answer.identity.model = identity.modelName;
        answer.identity.firmware = identity.firmware;
        std::lock_guard<std::mutex> lock(mutex_);
        answeredAt_[port] = line;
        silentSince_.erase(port);
        return answer;
    }
    if (stop.Raised()) return answer;
    return Search(port, stop);
}

ProbeAnswer StationUnitRunner::Search(const std::string& port, const StopSignal& stop) {
    ProbeAnswer answer;
    const auto now = std::chrono::steady_clock::now();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto silent = silentSince_.emplace(port, now).first;
        if (now - silent->second < kSilentBeforeSearch) return answer;
        const auto last = searchedAt_.find(port);
        if (last != searchedAt_.end() && now - last->second < kSearchInterval) return answer;
        searchedAt_[port] = now;
    }
    DiscoveryStop searchStop;
    PortDiscovery found;
    {
        // The station's stop ends the search's waits at once.
        std::mutex mutex;
        std::condition_variable changed;
        bool done = false;
        std::thread watch([&] {
            std::unique_lock<std::mutex> lock(mutex);
            while (!done) {
                if (stop.Raised()) searchStop.Stop();
                changed.wait_for(lock, kStopPoll);
            }
        });
        found = DiscoverPort(port, {}, &searchStop);
        {
            std::lock_guard<std::mutex> lock(mutex);
            done = true;
        }
        changed.notify_all();
        watch.join();
    }
    if (found.outcome != DiscoveryOutcome::Found || !found.line) return answer;
    answer.kind = ProbeAnswer::Kind::Answered;
    answer.identity.extendedAddress = FormatExtendedAddress(found.identity.extendedAddress);
    answer.identity.model = found.identity.modelName;
    answer.identity.firmware = found.identity.firmware;
    std::lock_guard<std::mutex> lock(mutex_);
    silentSince_.erase(port);
    answeredAt_[port] =
        LineOptions{found.line->baudRate, found.line->dataBits, found.line->parity, found.line->stopBits};
    return answer;
}

LineOptions StationUnitRunner::LineFor(const std::string& port) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = answeredAt_.find(port);
    return found != answeredAt_.end() ? found->second : plan_.request.line;
}

UnitResult StationUnitRunner::Run(const std::string& port, const ProbeAnswer& found, const StepSink& step,
                                  const StopSignal& stop) {
    UnitResult result;
    result.identity = found.identity;
    const auto fail = [&](UnitStep at, FailureKind kind) {
        result.verdict = UnitVerdict::Failed;
        result.failure = kind;
        result.failedStep = at;
        return result;
    };
    const auto interrupted = [&](UnitStep at) {
        result.verdict = UnitVerdict::Interrupted;
        result.failedStep = at;
        return result;
    };

    step(UnitStep::FindLine);
    CommandPlan plan = plan_;
    plan.request.line = LineFor(port);
    if (stop.Raised()) return interrupted(UnitStep::FindLine);
    // The unit named its model to the probe: one of another model is not opened for writing at all.
    step(UnitStep::CheckModel);
    if (!ModelFits(profileModel_, found.identity.model)) return fail(UnitStep::CheckModel, FailureKind::Final);
    if (stop.Raised()) return interrupted(UnitStep::CheckModel);

    StopRequest request;
    RunControl control(&request);
    StepFollower follower(step);
    PortOutcome outcome;
    {
        StopBridge bridge(stop, atOnce_, request, control);
        outcome = PortFlow(plan, port, control, follower).Run();
    }
    if (outcome.identified) {
        result.identity.model = ModelName(outcome.device.modelKind);
    }
    if (outcome.read) {
        result.identity.extendedAddress = FormatExtendedAddress(outcome.device.info.extendedAddress);
        result.identity.firmware = FirmwareText(outcome.device);
    }
    if (outcome.verify) {
        for (const auto& check : outcome.verify->checks) {
            if (check.readBack && !check.Matches())
                result.differences.push_back({CheckedSettingName(check), WrittenText(check), ReadBackText(check)});
        }
    }
    if (outcome.outcome == Outcome::Ok) {
        result.verdict = UnitVerdict::Passed;
        return result;
    }
    if (outcome.outcome == Outcome::Interrupted) {
        return interrupted(follower.Current());
    }
    return fail(FailedStep(outcome, follower.Current()), FailureOf(outcome.outcome));
}

}  // namespace q470
