#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <ostream>
#include <string>

#include "cli_text.h"
#include "station_event.h"

namespace q470 {

// What the operator sees of a station: one JSON object per line per event (--json), one plain line per
// event when standard output is not a terminal, or at a terminal a line per fixture redrawn in place
// with the running counts under them. Events come from the station's threads one at a time; Tick comes
// from the thread that waits for the station, to keep the elapsed times moving.
class StationPrinter {
public:
    enum class Form { Json, Lines, Terminal };
    static constexpr int kEventSchemaVersion = 1;

    StationPrinter(std::ostream& out, Form form, const CliText& text);

    void Print(const StationEvent& event);
    void Tick();

    // One event as its JSON line, and as its plain line (without the time in front).
    static std::string JsonLine(const StationEvent& event, std::chrono::system_clock::time_point when);
    static std::string PlainLine(const StationEvent& event);

private:
    struct FixtureView {
        std::string state;
        std::string step;
        std::string unit;
        std::string last;  // the last unit's result
        std::chrono::steady_clock::time_point since;
    };
    void Note(const StationEvent& event);
    void Redraw();

    std::ostream& out_;
    const Form form_;
    const CliText& text_;
    std::mutex mutex_;
    std::map<std::string, FixtureView> fixtures_;
    StationCounts counts_;
    std::size_t drawn_ = 0;  // lines of the last drawing, to go back over
};

}  // namespace q470
