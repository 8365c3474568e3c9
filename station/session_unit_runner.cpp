#include "session_unit_runner.h"

#include <condition_variable>
#include <thread>

#include "config_exchange.h"
#include "device_probe.h"
#include "device_state.h"
#include "file_run.h"
#include "model_kind.h"
#include "port_discovery.h"
#include "q470comm.h"
#include "setting_difference_words.h"

namespace q470 {
namespace {

// How often a search of every line rate looks at the station's stop.
constexpr std::chrono::milliseconds kStopPoll{20};
// A port where nothing answers at the expected lines is searched at every rate no more often than this:
// an adapter waiting for its modem is not to be kept busy.
constexpr std::chrono::seconds kSearchInterval{30};
// Nor before it has been silent this long: a unit just plugged in may take a moment to answer.
constexpr std::chrono::seconds kSilentBeforeSearch{2};

// The steps of the session as the station counts them; the port's opening is part of finding the line,
// the file's check against the unit as read part of reading it.
std::optional<UnitStep> UnitStepOf(SessionStep step) {
    switch (step) {
        case SessionStep::Identifying:
            return UnitStep::Identify;
        case SessionStep::Reading:
            return UnitStep::Read;
        case SessionStep::ApplyingFile:
            return UnitStep::Apply;
        case SessionStep::Restarting:
            return UnitStep::Restart;
        case SessionStep::Verifying:
            return UnitStep::FindAgain;
        default:
            return std::nullopt;
    }
}

// Whether running the unit again may help: it went away or did not answer in time. A refusal, another
// model or a file the unit cannot take will not change on a second run.
FailureKind FailureOf(const FileRunResult& run) {
    if (run.verify && run.failedStep == SessionStep::Verifying) {
        switch (run.verify->outcome) {
            case VerifyOutcome::Differs:
            case VerifyOutcome::OtherDevice:
                return FailureKind::Final;
            default:
                return FailureKind::Transient;
        }
    }
    if (run.failedStep == SessionStep::CheckingRequest) return FailureKind::Final;
    return run.end == StepEnd::Refused ? FailureKind::Final : FailureKind::Transient;
}

// The step a failed run stopped at: the check after the restart tells its own part apart.
UnitStep FailedStep(const FileRunResult& run, UnitStep current) {
    if (run.failedStep == SessionStep::CheckingRequest && run.loaded.status == ConfigLoadStatus::WrongProduct)
        return UnitStep::CheckModel;
    if (!run.verify || current != UnitStep::FindAgain) return current;
    switch (run.verify->outcome) {
        case VerifyOutcome::Differs:
            return UnitStep::Compare;
        case VerifyOutcome::ReadFailed:
        case VerifyOutcome::OtherDevice:
            return UnitStep::ReadBack;
        default:
            return UnitStep::FindAgain;
    }
}

// A quiet unit is switched to answering while it is written, and set to the profile's mode at the end.
// When the write's trail shows the switch but no quiet-mode command acknowledged after it (the unit hung
// up or stopped answering first), the unit may be left answering every command: the record says so.
bool QuietModeLeftOff(const FileRunResult& run) {
    if (!run.identified || run.device.quietMode == 0 || !run.trail) return false;
    const std::vector<AppliedStep>& steps = run.trail->acknowledged;
    if (steps.empty() || steps.front().command != CmdQuietModeSet) return false;
    for (std::size_t i = 1; i < steps.size(); ++i) {
        if (steps[i].command == CmdQuietModeSet) return false;
    }
    return true;
}

UnitIdentity IdentityOf(const DeviceIdentity& device) {
    return {FormatExtendedAddress(device.extendedAddress), device.modelName, device.firmware};
}

}  // namespace

SessionUnitRunner::SessionUnitRunner(std::string profile, std::uint32_t profileModel, std::vector<ConnectionLine> lines,
                                     bool verify)
    : profile_(std::move(profile)), profileModel_(profileModel), lines_(std::move(lines)), verify_(verify) {}

bool SessionUnitRunner::ModelFits(std::uint32_t profileModel, const std::string& model) {
    const std::uint32_t kind = ModelKindFromName(model);
    return kind != 0 && (kind == profileModel || (profileModel == ModelKs410 && kind == ModelKs400));
}

ProbeAnswer SessionUnitRunner::Probe(const std::string& port, const StopSignal& stop) {
    ProbeAnswer answer;
    for (const ConnectionLine& line : lines_) {
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
        answer.identity = IdentityOf(identity);
        if (outcome != IdentityOutcome::Read) answer.identity.extendedAddress.clear();
        std::lock_guard<std::mutex> lock(mutex_);
        answeredAt_[port] = line;
        silentSince_.erase(port);
        return answer;
    }
    if (stop.Raised()) return answer;
    return Search(port, stop);
}

ProbeAnswer SessionUnitRunner::Search(const std::string& port, const StopSignal& stop) {
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
    answer.identity = IdentityOf(found.identity);
    std::lock_guard<std::mutex> lock(mutex_);
    silentSince_.erase(port);
    answeredAt_[port] = *found.line;
    return answer;
}

ConnectionLine SessionUnitRunner::LineFor(const std::string& port) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = answeredAt_.find(port);
    return found != answeredAt_.end() ? found->second : lines_.back();
}

UnitResult SessionUnitRunner::Run(const std::string& port, const ProbeAnswer& found, const StepSink& step,
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
    FileRunRequest request;
    request.port = port;
    request.line = LineFor(port);
    if (stop.Raised()) return interrupted(UnitStep::FindLine);
    // The unit named its model to the probe: one of another model is not opened for writing at all.
    step(UnitStep::CheckModel);
    const std::uint32_t model = ModelKindFromName(found.identity.model);
    if (!ModelFits(profileModel_, found.identity.model)) return fail(UnitStep::CheckModel, FailureKind::Final);
    if (stop.Raised()) return interrupted(UnitStep::CheckModel);

    request.fileBytes = profile_;
    request.verify = verify_;
    // Without the read-back, a unit is still not passed before its port is seen again after the restart.
    request.awaitPortReturn = true;
    request.knownModel = model;
    std::atomic<UnitStep> current{UnitStep::CheckModel};
    request.progress = [&](SessionStep sessionStep) {
        if (const auto unitStep = UnitStepOf(sessionStep)) {
            current = *unitStep;
            step(*unitStep);
        }
    };
    request.stopRequested = [&stop] { return stop.Raised(); };
    request.stopAtOnce = [this] { return atOnce_.load(); };
    const FileRunResult run = RunConfigurationFile(request);

    if (run.identified) result.identity.model = ModelName(run.device.modelKind);
    if (run.identified && run.device.info.extendedAddress != 0) {
        result.identity.extendedAddress = FormatExtendedAddress(run.device.info.extendedAddress);
        result.identity.firmware = FirmwareText(run.device);
    }
    if (run.verify) {
        for (const auto& check : run.verify->checks) {
            if (check.readBack && !check.Matches()) result.differences.push_back(DifferenceWords(check));
        }
    }
    if (QuietModeLeftOff(run)) result.note = "quiet-mode-not-restored";
    if (run.ok) {
        result.verdict = UnitVerdict::Passed;
        return result;
    }
    if (run.end == StepEnd::Stopped) return interrupted(current);
    return fail(FailedStep(run, current), FailureOf(run));
}

}  // namespace q470
