#pragma once

#include <chrono>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace q470 {

// A command the operator gave to run after a unit (a label printer, a buzzer, a factory system).
struct HookCall {
    std::string command;  // run by /bin/sh -c
    // Added to the station's own environment (replacing variables of the same name). Texts from the
    // unit reach the command only here, never inside the command text.
    std::vector<std::pair<std::string, std::string>> environment;
    std::chrono::milliseconds timeout{30000};
};

struct HookOutcome {
    enum class Kind {
        Succeeded,   // exit status 0
        Failed,      // another exit status: `code`
        Signalled,   // ended by signal `code`
        TimedOut,    // still running at the time-out: it and every process it started were killed
        NotStarted,  // the shell could not be started: `error`
    };
    Kind kind = Kind::Succeeded;
    int code = 0;
    std::error_code error;
    // The end of what it wrote on its standard output and error (both into one pipe, apart from the
    // station's own streams), at most kOutputLimit bytes.
    std::string output;
    bool outputCut = false;  // more came before what `output` holds

    static constexpr std::size_t kOutputLimit = 4096;
};

// "ok", "exit 3", "signal 9", "timed-out", "not-started": the record's hook column.
std::string HookOutcomeWord(const HookOutcome& outcome);

// Runs the command in a process group of its own (so that a time-out ends everything it started, and
// the terminal's Ctrl-C does not reach it), standard input from /dev/null, none of the station's other
// descriptors, and waits for it.
HookOutcome RunHook(const HookCall& call);

}  // namespace q470
