// Where the station is not built (Windows), the log command says so.
#include "log_command.h"

#include "json_report.h"
#include "report_writer.h"

namespace q470 {

int RunLogCommand(const CliRequest& request, const CliText& text, std::ostream& out, std::ostream& err) {
    RunSummary run;
    run.outcome = Outcome::Usage;
    run.exitStatus = OutcomeStatus(run.outcome);
    run.message = text.Text(ToolText::LogUnavailable);
    ReportWriter(request, text).WriteRunFailure(run, {}, out, err);
    return run.exitStatus;
}

}  // namespace q470
