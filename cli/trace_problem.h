#pragma once

#include <string>

#include "cli_request.h"
#include "cli_text.h"
#include "trace_writer.h"

namespace q470 {

// What a run says when its trace could not be written to the end: "" when it could (or there was none).
// The device's work is not affected; the run says so beside its result, on standard error and in the
// JSON report's problems.
std::string TraceProblem(TraceWriter* trace, const CliRequest& request, const CliText& text);

}  // namespace q470
