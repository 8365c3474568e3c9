// The end of set, gpio and apply: how the association clear, the restart and the read-back went.
#include "command_catalogue.h"
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

FollowUpRequest PortFlow::FollowUpFor() const {
    return {outcome_.port, plan_.request.restart, plan_.request.verify};
}

void PortFlow::Conclude(std::string message, const WriteFollowUp& after) {
    std::optional<Acknowledgement> cleared;
    std::optional<Acknowledgement> restarted;
    if (after.clear) {
        cleared = TakeAnswer(*after.clear);
        outcome_.associationCleared = cleared == Acknowledgement::Acknowledged;
        if (!cleared) return;
    }
    if (after.restart) {
        outcome_.jobResult = after.restart->jobResult;
        restarted = TakeAnswer(*after.restart);
        outcome_.restarted = restarted == Acknowledgement::Acknowledged;
        if (!restarted) return;
    }
    if (after.verify) {
        ReadBack(*after.verify);
        if (finished_ || control_.Stopping()) return;
        message += (message.empty() ? "" : "\n") + VerifySummary(*outcome_.verify, {}, plan_.text);
        const std::string& foundAs = outcome_.verify->foundAs;
        outcome_.cameBackAs = foundAs;
        if (!foundAs.empty()) message += "\n" + plan_.text.Text(ToolText::VerifyFoundAs, {PrintableText(foundAs)});
    }
    if (!NotePortReturn(after.portReturn, message)) return;
    // A PAN ID change leaves the old network's associations behind unless the device cleared them.
    const bool notCleared = cleared && *cleared != Acknowledgement::Acknowledged;
    if (notCleared) message += "\n" + NotAcknowledgedText(*cleared, ToolText::NotCleared, CmdAssocClear);
    if (!after.verify && restarted && *restarted != Acknowledgement::Acknowledged) {
        return FailNotAcknowledged(*restarted, message + "\n" +
                                                   NotAcknowledgedText(*restarted, ToolText::NotRestarted, CmdRestart) +
                                                   "\n" + plan_.text.Text(ToolText::WrittenAtNextRestart));
    }
    if (notCleared) return FailNotAcknowledged(*cleared, std::move(message));
    Succeed(std::move(message));
}

bool PortFlow::NotePortReturn(const std::optional<PortReturnReport>& report, std::string& message) {
    if (!report || !report->wentAway) return true;
    if (control_.Stopping()) return false;
    if (report->back) {
        outcome_.cameBackAs = report->foundAs;
        message +=
            (message.empty() ? "" : "\n") + plan_.text.Text(ToolText::VerifyFoundAs, {PrintableText(report->foundAs)});
        return true;
    }
    Fail(Outcome::Disconnected,
         plan_.text.Text(ToolText::RestartNotBack, {std::to_string(report->restartBudget.count())}));
    return false;
}

void PortFlow::ReadBack(const VerifyReport& report) {
    const std::string looked = LinesLookedAt(session_.WrittenChecks(), session_.Connection(), plan_.text);
    outcome_.verify = report;
    if (control_.Stopping() || report.outcome == VerifyOutcome::Verified) return;
    if (report.outcome == VerifyOutcome::Differs) outcome_.details = VerifyDifferenceLines(report, plan_.text);
    Fail(VerifyFailure(report), VerifySummary(report, looked, plan_.text));
}

}  // namespace q470
