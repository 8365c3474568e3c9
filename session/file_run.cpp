#include "file_run.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "device_session.h"

namespace q470 {
namespace {

// Asks the session to stop once the caller's stop request turns true.
class StopWatch {
public:
    StopWatch(DeviceSession& session, std::function<bool()> requested, std::function<bool()> atOnce) {
        if (!requested) return;
        thread_ = std::thread([this, &session, requested = std::move(requested), atOnce = std::move(atOnce)] {
            std::unique_lock<std::mutex> lock(mutex_);
            bool asked = false;
            while (!done_) {
                if (!asked && requested()) {
                    asked = true;
                    session.RequestStop();
                    if (!atOnce) return;
                }
                if (asked && atOnce()) {
                    session.RequestStop(true);
                    return;
                }
                ended_.wait_for(lock, std::chrono::milliseconds(10));
            }
        });
    }
    ~StopWatch() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        ended_.notify_all();
        if (thread_.joinable()) thread_.join();
    }
    StopWatch(const StopWatch&) = delete;
    StopWatch& operator=(const StopWatch&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    std::thread thread_;
};

bool Failed(FileRunResult& result, const StepResult& step) {
    if (step.Ok()) return false;
    result.end = step.end;
    result.failedStep = step.step;
    return true;
}

void RunSteps(DeviceSession& session, const FileRunRequest& request, FileRunResult& result) {
    if (session.Stopping()) return;  // stopped before the port was opened: nothing to undo
    if ((result.openError = session.Open(request.port))) {
        result.end = StepEnd::HungUp;
        result.failedStep = SessionStep::Opening;
        return;
    }
    const StepResult identified =
        request.knownModel != 0 ? session.IdentifyAs(request.knownModel) : session.Identify();
    result.jobResult = identified.jobResult;
    if (Failed(result, identified)) return;
    result.identified = true;
    result.device = session.Device();
    const StepResult read = session.Read();
    result.jobResult = read.jobResult;
    if (Failed(result, read)) return;
    result.device = session.Device();

    // Checked against the device as read: a file never sets the PHY ID, so its channel must be one of
    // the device's own plan.
    ConfigTarget target;
    target.modelKind = result.device.modelKind;
    target.radio = RadioPlan{result.device.network.phyId, result.device.network.rfChannel};
    ConfigDocument document;
    result.loaded = LoadConfigBytesForModel(request.fileBytes, target, document, result.items);
    if (result.loaded.status != ConfigLoadStatus::Loaded) {
        result.end = StepEnd::Refused;
        result.failedStep = SessionStep::CheckingRequest;
        return;
    }
    const StepResult written = session.WriteFile(result.items);
    result.jobResult = written.jobResult;
    result.trail = session.WriteTrail();
    if (Failed(result, written)) return;
    result.afterWrite = FinishWrites(session, {request.port, request.awaitPortReturn, request.verify});
    const WriteFollowUp& after = result.afterWrite;
    result.trail = session.WriteTrail();
    if (after.restart) result.jobResult = after.restart->jobResult;
    if (const StepResult* ended = after.Ended()) {
        Failed(result, *ended);
        return;
    }
    if (!request.verify) {
        if (after.restart) Failed(result, *after.restart);
        if (after.portReturn && after.portReturn->wentAway && !after.portReturn->back && !session.Stopping()) {
            result.end = StepEnd::HungUp;
            result.failedStep = SessionStep::Restarting;
        }
        return;
    }
    result.verify = after.verify;
    if (session.Stopping()) {
        result.end = StepEnd::Stopped;
        result.failedStep = SessionStep::Verifying;
    } else if (result.verify->outcome != VerifyOutcome::Verified) {
        result.end = result.verify->outcome == VerifyOutcome::Differs ? StepEnd::Refused : StepEnd::NoAnswer;
        result.failedStep = SessionStep::Verifying;
    }
}

}  // namespace

FileRunResult RunConfigurationFile(DeviceSession& session, const FileRunRequest& request) {
    FileRunResult result;
    if (request.progress) session.SetProgress(request.progress);
    {
        StopWatch watch(session, request.stopRequested, request.stopAtOnce);
        RunSteps(session, request, result);
        // The device ends its last answer before the port is let go.
        if (!session.Stopping()) session.PayOwedFinalLine();
        session.Close();
    }
    if (session.Stopping() && !result.failedStep) {
        result.end = StepEnd::Stopped;
        result.failedStep = session.Trail().empty() ? SessionStep::Opening : session.Trail().back().step;
    }
    result.ok = !result.failedStep;
    result.steps = session.Trail();
    return result;
}

FileRunResult RunConfigurationFile(const FileRunRequest& request) {
    DeviceSession session(request.line);
    return RunConfigurationFile(session, request);
}

}  // namespace q470
