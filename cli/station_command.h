#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "port_flow.h"
#include "q470ctl.h"

namespace q470 {

class StationLog;
struct StationIdentity;
struct LogError;

// q470ctl station PROFILE: the production station on the fixtures' ports until it is stopped (or --once,
// --units), printing what happens. Returns the exit status: 0 when no unit failed, 1 when one did, 130
// (or 128 + the signal) when stopped, 2 and 4 when it could not start.
int RunStationCommand(CommandPlan& plan, std::ostream& out, std::ostream& err, const CliEnvironment& environment);

// The record the station writes to, by the --log value (a file path; its default place when empty).
std::unique_ptr<StationLog> OpenStationRecord(const std::string& where, const StationIdentity& identity,
                                              LogError& error);

}  // namespace q470
