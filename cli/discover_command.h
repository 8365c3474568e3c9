#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "port_flow.h"
#include "q470ctl.h"

namespace q470 {

// q470ctl discover: searches `ports` in parallel for modems and prints what it found. `portsGiven`:
// the ports came from -p (or --sim), so each must have a modem; otherwise they are the listed ports
// and one modem anywhere is enough. Returns the exit status.
int RunDiscover(const CommandPlan& plan, const std::vector<std::string>& ports, bool portsGiven, std::ostream& out,
                std::ostream& err, const CliEnvironment& environment);

}  // namespace q470
