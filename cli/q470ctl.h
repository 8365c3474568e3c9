#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "stop_request.h"

namespace q470 {

struct CliEnvironment {
    // Polled while the command runs; a signal handler (or a test) sets it to stop the run.
    const StopRequest* stop = nullptr;
    // A line per step on the error stream; the executable sets it when that stream is a terminal.
    bool progress = false;
    // Where `console` reads its lines: standard input unless a test says otherwise.
    int input = 0;
    // Standard output is a terminal: the station redraws its fixtures' lines in place there.
    bool outputTerminal = false;
    // Where the stable links of ports are: the system's folders unless a test gives its own.
    std::optional<std::vector<std::string>> linkFolders;
};

// Runs one q470ctl command line (`args` without the program name) and returns its exit status.
// Results go to `out`, messages to `err`. Every thread it starts has ended and every port it opened
// is closed when it returns.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliEnvironment& environment = {});

}  // namespace q470
