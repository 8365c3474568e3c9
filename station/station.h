#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>

#include "fixture.h"
#include "fixture_host.h"
#include "port_watch.h"
#include "station_counts.h"
#include "station_event.h"
#include "station_log.h"
#include "station_options.h"
#include "stop_signal.h"
#include "unit_runner.h"

namespace q470 {

// The production station: its fixtures (the named ports, or every USB serial port that appears), a
// unit after unit on each, all of them at once, one thread per fixture; the record; the counts.
//
// Front ends see it through one event sink. The sink is called from the station's threads (the port
// watch's and the fixtures'), one call at a time, never two at once; it should hand the event to its
// own thread (a window) or print it, and return. It may call Stop and Counts, not Wait.
class Station final : private FixtureHost {
public:
    using EventSink = std::function<void(const StationEvent& event)>;

    struct StartResult {
        bool started = false;
        LogError log;             // the record could not be prepared: the station did not start
        std::error_code watch;    // the ports could not be watched: the station did not start
        int interruptedRows = 0;  // rows an ended station process of this name left unfinished
    };

    Station(StationLog& log, UnitRunner& runner, PortWatch& watch, StationOptions options, EventSink sink);
    ~Station();  // stops and waits

    // Marks the rows this station's earlier processes left unfinished, then starts watching the ports.
    StartResult Start();
    // Units being run finish the step they are in and are recorded; then the station ends. Any thread.
    void Stop();
    // Until the station has ended: stopped, or every fixture done (once), or the limit of units reached.
    void Wait();
    bool WaitFor(std::chrono::steady_clock::duration duration);
    StationCounts Counts() const;

private:
    StationLog& Log() override { return log_; }
    UnitRunner& Runner() override { return runner_; }
    const StationOptions& Options() const override { return options_; }
    const StopSignal& Stopping() const override { return stop_; }
    void Emit(StationEvent event) override;
    bool TakeUnit() override;
    void ReturnUnit() override;
    void UnitEnded(RecordResult result) override;
    void FixtureDone() override;

    void OnPortEvent(const PortEvent& event);
    Fixture* FixtureFor(const std::string& port, bool create);
    bool AllDone() const;  // fixturesMutex_ held
    void EndOnce();
    void RaiseStop();

    StationLog& log_;
    UnitRunner& runner_;
    PortWatch& watch_;
    const StationOptions options_;
    EventSink sink_;
    StopSignal stop_;
    std::chrono::steady_clock::time_point startedAt_;
    std::atomic<bool> started_{false};

    mutable std::mutex countsMutex_;
    StationCounts counts_;
    int unitsTaken_ = 0;

    std::mutex eventMutex_;  // one sink call at a time

    mutable std::mutex fixturesMutex_;
    std::condition_variable fixturesChanged_;
    std::map<std::string, std::unique_ptr<Fixture>> fixtures_;
    int fixturesDone_ = 0;
    bool ended_ = false;   // Wait has seen it all end and told the sink
    std::mutex endMutex_;  // one thread ends the station
};

}  // namespace q470
