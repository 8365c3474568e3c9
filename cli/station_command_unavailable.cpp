// Where the station is not built (Windows), the station command says so.
#include "json_report.h"
#include "report_writer.h"
#include "station_command.h"

namespace q470 {

int RunStationCommand(CommandPlan& plan, std::ostream& out, std::ostream& err, const CliEnvironment& /*environment*/) {
    RunSummary run;
    run.outcome = Outcome::Usage;
    run.exitStatus = OutcomeStatus(run.outcome);
    run.message = plan.text.Text(ToolText::LogUnavailable);
    ReportWriter(plan.request, plan.text).WriteRunFailure(run, {}, out, err);
    return run.exitStatus;
}

}  // namespace q470
