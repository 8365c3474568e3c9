#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "job_follow_up.h"

namespace q470 {

class CKeldanQ470RConfiguratorDlg;

// What the window does with a job's result: ends the busy state, shows what a read found, tells the
// user how an apply went, and chains the follow-up jobs (read after identify, restart after a file or
// a PAN ID change that needs it, re-read after a failed file, a fresh connection after a restart).
//
// A result can arrive after the window has disconnected (the port failed or was closed while the job
// ran). It is then handled against the closed port: its message is shown, but nothing is enabled,
// filled in or queued for a device that is gone.
class JobResultHandler {
public:
    explicit JobResultHandler(CKeldanQ470RConfiguratorDlg& window);

    void OnJobResult(std::int32_t job, std::int32_t result);
    // The result of a job that ran on a connection the window has since replaced (its port left the
    // bus and the device was found again): a write's outcome is told, since the device may hold part
    // of it, but nothing follows on the new connection.
    void OnReplacedConnectionResult(std::int32_t job, std::int32_t result);

private:
    // The message boxes of a result, in their order, before the step is carried out.
    void Tell(std::int32_t job, std::int32_t result, FollowUpStep step);
    void CarryOut(const FollowUp& next);
    // True when the window found (or gave up on) the device itself after its restart.
    bool FollowRestart(std::int32_t job);
    void MarkWritten(std::int32_t job);
    void ShowDevice(bool afterQ470RRead);
    void ClearAssociationsThen(std::int32_t restartJob);
    void ShowApplyOutcome(std::int32_t job, std::int32_t result);
    void TellFileOutcome(std::int32_t job, std::int32_t result);
    // What became of a restart or factory reset, before the connection dialog comes back.
    void TellReconnect(std::int32_t job, std::int32_t result);
    // What the last apply job wrote before it failed, for the failure's message.
    std::vector<std::string> FailedSteps(std::int32_t job) const;

    CKeldanQ470RConfiguratorDlg& window_;
};

}  // namespace q470
