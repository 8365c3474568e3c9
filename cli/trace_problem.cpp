#include "trace_problem.h"

#include "terminal_text.h"

namespace q470 {

std::string TraceProblem(TraceWriter* trace, const CliRequest& request, const CliText& text) {
    if (!trace) return {};
    const std::error_code error = trace->WriteError();
    if (!error) return {};
    const std::string target = request.traceFile ? PrintableText(*request.traceFile) : std::string("stderr");
    return text.Text(ToolText::TraceNotWritten, {target, error.message()});
}

}  // namespace q470
