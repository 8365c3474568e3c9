#include "station.h"

namespace q470 {

Station::Station(StationLog& log, UnitRunner& runner, PortWatch& watch, StationOptions options, EventSink sink)
    : log_(log), runner_(runner), watch_(watch), options_(std::move(options)), sink_(std::move(sink)) {}

Station::~Station() {
    Stop();
    Wait();
}

Station::StartResult Station::Start() {
    StartResult result;
    const auto marked = log_.MarkInterrupted(result.log);
    if (!marked) return result;
    result.interruptedRows = *marked;
    startedAt_ = std::chrono::steady_clock::now();
    {
        std::lock_guard<std::mutex> lock(fixturesMutex_);
        for (const auto& port : watch_.NamedPorts()) {
            auto fixture = std::make_unique<Fixture>(port, static_cast<FixtureHost&>(*this));
            fixture->Start();
            fixtures_.emplace(port, std::move(fixture));
        }
    }
    started_ = true;
    if (!watch_.Start([this](const PortEvent& event) { OnPortEvent(event); }, result.watch)) {
        started_ = false;
        Stop();
        Wait();
        return result;
    }
    if (!watch_.Notified()) {
        StationEvent event;
        event.kind = StationEvent::Kind::Problem;
        event.problem = StationEvent::ProblemKind::WatchPolling;
        Emit(std::move(event));
    }
    result.started = true;
    return result;
}

void Station::RaiseStop() {
    stop_.Raise();
    std::lock_guard<std::mutex> lock(fixturesMutex_);
    for (auto& [port, fixture] : fixtures_) fixture->Wake();
    fixturesChanged_.notify_all();
}

void Station::Stop() {
    RaiseStop();
}

bool Station::AllDone() const {
    return fixturesDone_ == static_cast<int>(fixtures_.size());
}

bool Station::WaitFor(std::chrono::steady_clock::duration duration) {
    {
        std::unique_lock<std::mutex> lock(fixturesMutex_);
        if (ended_) return true;
        if (!fixturesChanged_.wait_for(lock, duration, [&] { return stop_.Raised() && AllDone(); })) return false;
    }
    EndOnce();
    return true;
}

void Station::Wait() {
    while (!WaitFor(std::chrono::hours(1))) {
    }
}

// The watch is stopped before the fixtures are joined, so that no event makes a fixture meanwhile.
void Station::EndOnce() {
    std::lock_guard<std::mutex> ending(endMutex_);
    if (started_) watch_.Stop();
    {
        std::lock_guard<std::mutex> lock(fixturesMutex_);
        if (ended_) return;
    }
    for (auto& [port, fixture] : fixtures_) fixture->Join();
    bool tell = false;
    {
        std::lock_guard<std::mutex> lock(fixturesMutex_);
        tell = !ended_ && started_;
        ended_ = true;
    }
    fixturesChanged_.notify_all();
    if (tell) {
        StationEvent event;
        event.kind = StationEvent::Kind::Ended;
        Emit(std::move(event));
    }
}

StationCounts Station::Counts() const {
    std::lock_guard<std::mutex> lock(countsMutex_);
    StationCounts counts = counts_;
    if (started_) {
        counts.elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - startedAt_);
    }
    return counts;
}

void Station::Emit(StationEvent event) {
    event.counts = Counts();
    std::lock_guard<std::mutex> lock(eventMutex_);
    if (sink_) sink_(event);
}

bool Station::TakeUnit() {
    std::lock_guard<std::mutex> lock(countsMutex_);
    if (options_.units > 0 && unitsTaken_ >= options_.units) return false;
    ++unitsTaken_;
    return true;
}

void Station::ReturnUnit() {
    std::lock_guard<std::mutex> lock(countsMutex_);
    --unitsTaken_;
}

void Station::UnitEnded(RecordResult result) {
    bool limitReached = false;
    {
        std::lock_guard<std::mutex> lock(countsMutex_);
        switch (result) {
            case RecordResult::Pass:
                ++counts_.passed;
                break;
            case RecordResult::Fail:
                ++counts_.failed;
                break;
            case RecordResult::Skipped:
                ++counts_.skipped;
                break;
            case RecordResult::Interrupted:
                ++counts_.interrupted;
                break;
        }
        limitReached = options_.units > 0 && counts_.Ended() >= options_.units;
    }
    // Every unit the limit allowed has ended: nothing runs any more.
    if (limitReached) RaiseStop();
}

void Station::FixtureDone() {
    std::lock_guard<std::mutex> lock(fixturesMutex_);
    ++fixturesDone_;
    // One unit per port: the station ends when every fixture it has had its unit. Without named ports it
    // ends once the ports that appeared are done.
    if (options_.once && AllDone() && !stop_.Raised()) {
        stop_.Raise();
        for (auto& [port, fixture] : fixtures_) fixture->Wake();
    }
    fixturesChanged_.notify_all();
}

Fixture* Station::FixtureFor(const std::string& port, bool create) {
    std::lock_guard<std::mutex> lock(fixturesMutex_);
    const auto found = fixtures_.find(port);
    if (found != fixtures_.end()) return found->second.get();
    // A port that appears once the station stops gets no fixture; one that vanishes never had one.
    if (!create || stop_.Raised()) return nullptr;
    auto fixture = std::make_unique<Fixture>(port, static_cast<FixtureHost&>(*this));
    Fixture* made = fixture.get();
    fixtures_.emplace(port, std::move(fixture));
    made->Start();
    return made;
}

void Station::OnPortEvent(const PortEvent& event) {
    const bool appeared = event.kind == PortEvent::Kind::Appeared;
    Fixture* fixture = FixtureFor(event.port, appeared);
    if (fixture == nullptr || !fixture->SetPresent(appeared)) return;
    StationEvent told;
    told.kind = appeared ? StationEvent::Kind::PortAppeared : StationEvent::Kind::PortVanished;
    told.port = event.port;
    Emit(std::move(told));
}

}  // namespace q470
