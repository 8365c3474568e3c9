// The end of set, gpio and apply: the restart of --restart and --verify, and the read-back of --verify.
#include "command_catalogue.h"
#include "job_code.h"
#include "line_choices.h"
#include "port_flow.h"
#include "terminal_text.h"
#include "verify_report.h"

namespace q470 {
namespace {

// Where the check looked for the device: the line setting it should use now, and the old one when
// a new UART setting was written.
std::string LinesLookedAt(const std::vector<SettingCheck>& checks, const ConnectionLine& connection,
                          const CliText& text) {
    const ConnectionLine expected = LineAfterRestart(checks, connection);
    if (SameLine(expected, connection)) return LineText(expected);
    return text.Text(ToolText::VerifyLinesTried, {LineText(expected), LineText(connection)});
}

}  // namespace

void PortFlow::FinishWrites(std::string message, std::vector<SettingCheck> checks) {
    const CliRequest& request = plan_.request;
    if ((request.restart || request.verify) && !restarted_ && !RunRestartJob(JobRestart)) return;
    if (request.verify) {
        // Whether the device restarted is for the check to see, whatever it answered.
        ReadBack(std::move(checks));
        if (finished_ || control_.Stopping()) return;
        message += (message.empty() ? "" : "\n") + VerifySummary(*outcome_.verify, {}, plan_.text);
        const std::string& foundAs = outcome_.verify->foundAs;
        if (!foundAs.empty()) message += "\n" + plan_.text.Text(ToolText::VerifyFoundAs, {PrintableText(foundAs)});
    }
    // A PAN ID change leaves the old network's associations behind unless the device cleared them.
    const bool notCleared = cleared_ && *cleared_ != Acknowledgement::Acknowledged;
    if (notCleared) message += "\n" + NotAcknowledgedText(*cleared_, ToolText::NotCleared, CmdAssocClear);
    if (!request.verify && restarted_ && *restarted_ != Acknowledgement::Acknowledged) {
        return FailNotAcknowledged(
            *restarted_, message + "\n" + NotAcknowledgedText(*restarted_, ToolText::NotRestarted, CmdRestart) + "\n" +
                             plan_.text.Text(ToolText::WrittenAtNextRestart));
    }
    if (notCleared) return FailNotAcknowledged(*cleared_, std::move(message));
    Succeed(std::move(message));
}

void PortFlow::ReadBack(std::vector<SettingCheck> checks) {
    const ConnectionLine connection = session_.Connection();
    const std::string looked = LinesLookedAt(checks, connection, plan_.text);
    outcome_.verify = session_.ReadBack(outcome_.port, std::move(checks));
    const VerifyReport& report = *outcome_.verify;
    if (control_.Stopping() || report.outcome == VerifyOutcome::Verified) return;
    if (report.outcome == VerifyOutcome::Differs) outcome_.details = VerifyDifferenceLines(report, plan_.text);
    Fail(VerifyFailure(report), VerifySummary(report, looked, plan_.text));
}

}  // namespace q470
