#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "device_records.h"
#include "port_names.h"
#include "q470comm.h"
#include "write_verifier.h"

namespace q470 {

// A device to find again after it restarted, was reset or was unplugged.
struct ReturnRequest {
    std::string port;  // the name the port was last opened by
    // The names it had then: a port that went away is looked for by them (see PortReturnWatch).
    PortNames names;
    // Where the device may answer now, most likely first: the first gets the whole budget, each other
    // one a short look once the port is open.
    std::vector<ConnectionLine> lines;
    std::chrono::milliseconds budget = kRestartBudget;
    std::function<bool()> stopping;  // polled while waiting; Cancel of the watch is not needed
};

struct ReturnResult {
    enum class Outcome {
        Back,        // the device answers on `name` at `line`; the link is left open there
        NotBack,     // its port did not come back within the budget
        NoAnswer,    // the port is there, but nothing answered at any of the lines
        CannotOpen,  // the port is there but refused to open until the end: `openError`
        Stopped,
    };
    Outcome outcome = Outcome::NotBack;
    std::string name;  // the name the port opened by (the one asked for, or the one it came back under)
    ConnectionLine line;
    std::error_code openError;
};

// Waits for the device to answer again: opens the port (once it is back, when it went away with the
// device, by the name it was opened with or a stable link that led to it) and asks until the device
// answers at one of the lines. A port that came back may refuse to open for a moment while the system
// sets it up; that is retried until the budget runs out. Queries only; `link` must be closed.
ReturnResult AwaitDeviceReturn(Q470Comm& link, const ReturnRequest& request);

}  // namespace q470
