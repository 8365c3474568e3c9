#include "write_follow_up.h"

#include "device_session.h"
#include "job_code.h"
#include "job_follow_up.h"

namespace q470 {

const StepResult* WriteFollowUp::Ended() const {
    if (clear && EndsTheRun(clear->end)) return &*clear;
    if (restart && EndsTheRun(restart->end)) return &*restart;
    return nullptr;
}

WriteFollowUp FinishWrites(DeviceSession& session, const FollowUpRequest& request) {
    WriteFollowUp done;
    const FollowUp next = session.NextAfterWrite();
    if (next.step == FollowUpStep::ClearAssociations) {
        // The old network's associations would stay; the device is restarted whatever the clear's
        // answer, unless the clear took the device away already.
        done.clear = session.ClearAssociations();
        if (EndsTheRun(done.clear->end)) return done;
        if (session.LinkOpen()) done.restart = session.Restart(next.job);
    } else if (next.step == FollowUpStep::Restart) {
        done.restart = session.Restart(next.job);
    }
    if (done.restart && EndsTheRun(done.restart->end)) return done;
    if ((request.restart || request.verify) && !done.restart) {
        done.restart = session.Restart(JobRestart);
        if (EndsTheRun(done.restart->end)) return done;
    }
    if (request.verify) {
        // Whether the device restarted is for the read-back to see, whatever it answered.
        done.verify = session.ReadBack(request.port, session.WrittenChecks());
    } else if (request.restart && done.Acknowledged(done.restart)) {
        done.portReturn = session.AwaitPortReturn(request.port);
    }
    return done;
}

}  // namespace q470
