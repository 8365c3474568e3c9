#pragma once

#include <ostream>

#include "cli_request.h"
#include "cli_text.h"

namespace q470 {

// q470ctl log: the production station's record, as a table for people, as CSV, or in the one JSON
// document (its rows under "records"). It only reads the record. Returns the exit status.
int RunLogCommand(const CliRequest& request, const CliText& text, std::ostream& out, std::ostream& err);

}  // namespace q470
