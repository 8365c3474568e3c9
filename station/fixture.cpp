#include "fixture.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "utf8_text.h"

namespace q470 {
namespace {

using SteadyClock = std::chrono::steady_clock;

RecordResult ResultOf(UnitVerdict verdict) {
    switch (verdict) {
        case UnitVerdict::Passed:
            return RecordResult::Pass;
        case UnitVerdict::Interrupted:
            return RecordResult::Interrupted;
        case UnitVerdict::Failed:
            break;
    }
    return RecordResult::Fail;
}

// [{"setting":"channel","written":"101","readBack":"99"}, ...]
std::string DifferencesJson(const std::vector<SettingDifference>& differences) {
    if (differences.empty()) return {};
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    const auto text = [&](const char* key, const std::string& value) {
        writer.Key(key);
        const std::string clean = CleanUtf8(value, false);
        writer.String(clean.c_str(), static_cast<rapidjson::SizeType>(clean.size()));
    };
    writer.StartArray();
    for (const auto& difference : differences) {
        writer.StartObject();
        text("setting", difference.setting);
        text("written", difference.written);
        text("readBack", difference.readBack);
        writer.EndObject();
    }
    writer.EndArray();
    return std::string(buffer.GetString(), buffer.GetSize());
}

// What the run learnt, where the probe knew less.
UnitIdentity Merged(UnitIdentity known, const UnitIdentity& learnt) {
    if (!learnt.extendedAddress.empty()) known.extendedAddress = learnt.extendedAddress;
    if (!learnt.model.empty()) known.model = learnt.model;
    if (!learnt.firmware.empty()) known.firmware = learnt.firmware;
    return known;
}

UnitEnd EndOf(const UnitResult& result, const UnitIdentity& identity, SteadyClock::duration took) {
    UnitEnd end;
    end.finishedAt = std::chrono::system_clock::now();
    end.result = ResultOf(result.verdict);
    if (result.failedStep && result.verdict != UnitVerdict::Passed)
        end.failedStep = std::string(UnitStepWord(*result.failedStep));
    end.differences = DifferencesJson(result.differences);
    end.durationMs = std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
    end.note = result.note;
    end.extendedAddress = identity.extendedAddress;
    end.model = identity.model;
    end.firmware = identity.firmware;
    return end;
}

}  // namespace

Fixture::Fixture(std::string port, FixtureHost& host) : port_(std::move(port)), host_(host) {}

Fixture::~Fixture() {
    Join();
}

void Fixture::Start() {
    thread_ = std::thread([this] { Run(); });
}

void Fixture::Join() {
    if (thread_.joinable()) thread_.join();
}

bool Fixture::SetPresent(bool present) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (present_ == present) return false;
        present_ = present;
        if (!present) ++generation_;
    }
    changed_.notify_all();
    return true;
}

void Fixture::Wake() {
    { std::lock_guard<std::mutex> lock(mutex_); }
    changed_.notify_all();
}

bool Fixture::Present(std::uint64_t& generation) {
    std::lock_guard<std::mutex> lock(mutex_);
    generation = generation_;
    return present_;
}

bool Fixture::Pause(std::chrono::milliseconds duration, std::uint64_t generation) {
    std::unique_lock<std::mutex> lock(mutex_);
    const bool cut = changed_.wait_for(
        lock, duration, [&] { return host_.Stopping().Raised() || generation_ != generation || !present_; });
    return !cut;
}

void Fixture::State(FixtureState state) {
    if (state_ == state) return;
    state_ = state;
    StationEvent event;
    event.kind = StationEvent::Kind::State;
    event.port = port_;
    event.state = state;
    host_.Emit(std::move(event));
}

void Fixture::Problem(StationEvent::ProblemKind kind, std::string detail) {
    StationEvent event;
    event.kind = StationEvent::Kind::Problem;
    event.port = port_;
    event.problem = kind;
    event.detail = std::move(detail);
    host_.Emit(std::move(event));
}

// Told when it begins or changes, not at every try while it lasts.
void Fixture::LogProblem(const LogError& error) {
    if (logProblem_ == error.detail) return;
    logProblem_ = error.detail;
    Problem(StationEvent::ProblemKind::LogFailed, error.detail);
}

ProbeAnswer Fixture::Probe() {
    return host_.Runner().Probe(port_, host_.Stopping());
}

void Fixture::Run() {
    Answer next;
    while (!host_.Stopping().Raised()) {
        if (!next) {
            if (!WaitForPort()) break;
            next = WaitForUnit();
            if (!next) continue;
        }
        if (!host_.TakeUnit()) break;
        const Served served = Serve(*next);
        next.reset();
        if (!served.ended) continue;
        if (host_.Options().once) {
            State(FixtureState::Done);
            break;
        }
        next = served.other ? served.other : WaitForRemoval(served.identity);
    }
    host_.FixtureDone();
}

bool Fixture::WaitForPort() {
    std::uint64_t generation = 0;
    if (!Present(generation)) State(FixtureState::WaitingForPort);
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return present_ || host_.Stopping().Raised(); });
    return !host_.Stopping().Raised();
}

// Looks at the port at the station's pace until a unit answers; nothing when the port vanishes first
// or the station stops.
Fixture::Answer Fixture::WaitForUnit() {
    State(FixtureState::WaitingForUnit);
    for (;;) {
        std::uint64_t generation = 0;
        if (!Present(generation) || host_.Stopping().Raised()) return std::nullopt;
        ProbeAnswer answer = Probe();
        if (host_.Stopping().Raised()) return std::nullopt;
        if (answer.kind == ProbeAnswer::Kind::Answered) {
            portProblem_.clear();
            return answer;
        }
        if (answer.kind == ProbeAnswer::Kind::CannotOpen && answer.error.message() != portProblem_) {
            portProblem_ = answer.error.message();
            Problem(StationEvent::ProblemKind::PortUnavailable, portProblem_);
        }
        if (!Pause(host_.Options().probeInterval, generation)) return std::nullopt;
    }
}

Fixture::Answer Fixture::WaitForAnyUnit() {
    while (WaitForPort()) {
        if (Answer answer = WaitForUnit()) return answer;
    }
    return std::nullopt;
}

// The unit has been dealt with; it counts as taken away once its port vanishes or another unit answers.
Fixture::Answer Fixture::WaitForRemoval(const UnitIdentity& unit) {
    State(FixtureState::WaitingForRemoval);
    std::uint64_t generation = 0;
    if (!Present(generation)) return std::nullopt;
    for (;;) {
        if (!Pause(host_.Options().probeInterval, generation)) return std::nullopt;
        ProbeAnswer answer = Probe();
        if (answer.kind == ProbeAnswer::Kind::Answered && answer.identity.extendedAddress != unit.extendedAddress)
            return answer;
    }
}

std::optional<UnitBegin> Fixture::Begin(const UnitIdentity& identity) {
    const StationOptions& options = host_.Options();
    UnitStart start;
    start.startedAt = std::chrono::system_clock::now();
    start.port = port_;
    start.extendedAddress = identity.extendedAddress;
    start.model = identity.model;
    start.firmware = identity.firmware;
    start.profileName = options.profile.name;
    start.profileSha256 = options.profile.sha256;
    start.toolVersion = options.toolVersion;
    LogError error;
    auto begin = host_.Log().BeginUnit(start, options.again, error);
    if (begin) {
        logProblem_.reset();
        return begin;
    }
    // No unit is provisioned without its row: the fixture waits and looks at its port again.
    LogProblem(error);
    State(FixtureState::Paused);
    std::uint64_t generation = 0;
    Present(generation);
    Pause(options.probeInterval, generation);
    return std::nullopt;
}

Fixture::Served Fixture::Serve(ProbeAnswer unit) {
    Served served;
    served.identity = unit.identity;
    std::optional<std::pair<std::int64_t, UnitEnd>> last;  // the row and end of the run before
    for (int attempt = 1;; ++attempt) {
        const auto begin = Begin(served.identity);
        if (!begin && !last) {
            host_.ReturnUnit();
            return served;
        }
        if (!begin) {
            // The record failed between two runs: the unit ends with the run it had.
            host_.UnitEnded(last->second.result);
            Ended(last->first, last->second);
            return served;
        }
        served.ended = true;
        StationEvent event;
        event.port = port_;
        event.logId = begin->id;
        event.attempt = attempt;
        event.identity = served.identity;
        if (begin->outcome != UnitBegin::Outcome::Started) {
            event.kind = StationEvent::Kind::UnitFinished;
            event.result = RecordResult::Skipped;
            event.skipped = begin->outcome == UnitBegin::Outcome::AlreadyPassed
                                ? StationEvent::Skip::AlreadyPassed
                                : StationEvent::Skip::InProgressElsewhere;
            host_.UnitEnded(RecordResult::Skipped);
            host_.Emit(std::move(event));
            return served;
        }
        event.kind = StationEvent::Kind::UnitStarted;
        host_.Emit(event);
        State(FixtureState::Working);

        const auto started = SteadyClock::now();
        const UnitResult result = host_.Runner().Run(
            port_, unit,
            [&](UnitStep step) {
                StationEvent stepEvent;
                stepEvent.kind = StationEvent::Kind::UnitStep;
                stepEvent.port = port_;
                stepEvent.logId = begin->id;
                stepEvent.step = step;
                host_.Emit(std::move(stepEvent));
            },
            host_.Stopping());
        served.identity = Merged(served.identity, result.identity);
        const UnitEnd end = EndOf(result, served.identity, SteadyClock::now() - started);
        Finish(begin->id, end);

        const bool retry = result.verdict == UnitVerdict::Failed && result.failure == FailureKind::Transient &&
                           attempt <= host_.Options().retries && !host_.Stopping().Raised();
        event.kind = StationEvent::Kind::UnitFinished;
        event.identity = served.identity;
        event.result = end.result;
        event.failedStep = result.verdict == UnitVerdict::Passed ? std::nullopt : result.failedStep;
        event.failure = result.failure;
        event.differences = result.differences;
        event.note = result.note;
        event.retrying = retry;
        if (!retry) {
            host_.UnitEnded(end.result);
            host_.Emit(std::move(event));
            Ended(begin->id, end);
            return served;
        }
        host_.Emit(std::move(event));
        last.emplace(begin->id, end);
        // Run again once the same unit answers, also after its port went and came back (a unit that hung
        // up may have taken its USB adapter down with it); another unit answering ends this one failed.
        Answer again = WaitForAnyUnit();
        if (again && again->identity.extendedAddress == served.identity.extendedAddress) {
            unit = *again;
            continue;
        }
        host_.UnitEnded(end.result);
        Ended(begin->id, end);
        served.other = std::move(again);
        return served;
    }
}

// A row that cannot be completed is tried again at the station's pace until the station stops: the
// next unit on this fixture waits for it. A row left so is marked when a station of this name starts.
void Fixture::Finish(std::int64_t id, const UnitEnd& end) {
    for (;;) {
        LogError error;
        if (host_.Log().FinishUnit(id, end, error)) {
            logProblem_.reset();
            return;
        }
        LogProblem(error);
        State(FixtureState::Paused);
        if (host_.Stopping().WaitFor(host_.Options().probeInterval)) return;
    }
}

void Fixture::Ended(std::int64_t id, const UnitEnd& end) {
    const StationOptions& options = host_.Options();
    if (end.result == RecordResult::Pass && !options.onPass.empty()) RunHook(options.onPass, id, end);
    if (end.result == RecordResult::Fail && !options.onFail.empty()) RunHook(options.onFail, id, end);
}

void Fixture::RunHook(const std::string& command, std::int64_t id, const UnitEnd& end) {
    HookCall call;
    call.command = command;
    call.timeout = host_.Options().hookTimeout;
    call.environment = {{"Q470_PORT", port_},
                        {"Q470_EXTENDED_ADDRESS", end.extendedAddress},
                        {"Q470_MODEL", end.model},
                        {"Q470_FIRMWARE", end.firmware},
                        {"Q470_RESULT", RecordResultWord(end.result)},
                        {"Q470_FAILED_STEP", end.failedStep},
                        {"Q470_LOG_ID", std::to_string(id)}};
    StationEvent event;
    event.kind = StationEvent::Kind::HookFinished;
    event.port = port_;
    event.logId = id;
    event.hook = q470::RunHook(call);
    LogError error;
    // A hook that fails is recorded and told; the station goes on.
    if (!host_.Log().RecordHook(id, HookOutcomeWord(event.hook), error))
        Problem(StationEvent::ProblemKind::LogFailed, error.detail);
    host_.Emit(std::move(event));
}

}  // namespace q470
