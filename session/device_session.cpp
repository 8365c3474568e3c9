#include "device_session.h"

#include "command_catalogue.h"
#include "device_probe.h"
#include "device_records.h"
#include "job_follow_up.h"
#include "job_timeouts.h"
#include "model_jobs.h"
#include "model_kind.h"

namespace q470 {

DeviceSession::DeviceSession(const ConnectionLine& line) {
    input_.line = line;
}

DeviceSession::~DeviceSession() {
    Close();
    worker_.StopWorker();
}

std::error_code DeviceSession::Open(const std::string& port) {
    Begin(SessionStep::Opening);
    const ConnectionLine& line = input_.line;
    if (auto error = link_.Open(port, line.baudRate, line.dataBits, line.parity, line.stopBits)) return error;
    names_ = CollectPortNames(port, linkFolders_);
    worker_.StartWorker();
    return {};
}

void DeviceSession::Close() {
    link_.Close();
}

bool DeviceSession::RequestStop(bool urgent) {
    stopping_ = true;
    if (!urgent && worker_.StopAfterCurrentCommand()) return true;
    Close();
    return false;
}

bool DeviceSession::IsQ470R() const {
    return state_.modelKind == ModelQ470R;
}

GeneralSettings DeviceSession::General() const {
    return GeneralSettingsFromDevice(state_, input_.line, IsQ470R());
}

GpioSettings DeviceSession::Gpio() const {
    return GpioSettingsFromDevice(state_);
}

StepResult DeviceSession::Identify() {
    const StepResult result = RunStep(JobIdentify, SessionStep::Identifying, false);
    identified_ = result.Ok();
    return result;
}

StepResult DeviceSession::IdentifyAs(std::uint32_t modelKind) {
    Begin(SessionStep::Identifying);
    StepResult result{SessionStep::Identifying, StepEnd::Done, std::nullopt};
    const auto quiet = ProbeQuietMode(link_, std::chrono::milliseconds(kJobTimeoutMs));
    if (Stopping()) {
        result.end = StepEnd::Stopped;
    } else if (!quiet) {
        result.end = link_.HungUp() || !link_.IsOpen() ? StepEnd::HungUp
                     : link_.OutOfStep()               ? StepEnd::OutOfStep
                                                       : StepEnd::NoAnswer;
    } else {
        state_.modelKind = modelKind;
        state_.quietMode = *quiet;
        identified_ = true;
    }
    return Ended(result);
}

StepResult DeviceSession::Read() {
    return Read(ReadJobOf(state_.modelKind));
}

StepResult DeviceSession::Read(std::int32_t readJob) {
    return RunStep(readJob, SessionStep::Reading, false);
}

StepResult DeviceSession::WriteGeneral(const GeneralSettings& record) {
    input_.general = record;
    const StepResult result = Written(ApplyGeneralJobOf(state_.modelKind), SessionStep::ApplyingGeneral, record.panId);
    if (result.Ok()) writtenChecks_ = ChecksOfGeneral(record, IsQ470R(), DeviceHasRxPullUp(state_));
    return result;
}

StepResult DeviceSession::WriteGpio(const GpioSettings& record) {
    input_.gpio = record;
    const StepResult result = Written(JobApplyGpio, SessionStep::ApplyingGpio, 0);
    if (result.Ok()) writtenChecks_ = ChecksOfGpio(record);
    return result;
}

StepResult DeviceSession::WriteFile(const SettingItemList& items) {
    input_.fileItems = items;
    const StepResult result = Written(ApplyFileJobOf(state_.modelKind), SessionStep::ApplyingFile, 0);
    if (result.Ok()) writtenChecks_ = ChecksOfItems(items, IsQ470R());
    return result;
}

StepResult DeviceSession::Written(std::int32_t job, SessionStep step, std::uint16_t panId) {
    writeJob_ = 0;
    writtenChecks_.clear();
    const StepResult result = RunStep(job, step, true);
    if (result.Ok()) {
        writeJob_ = job;
        panIdWritten_ = panId;
    }
    return result;
}

FollowUp DeviceSession::NextAfterWrite() const {
    return writeJob_ == 0 ? FollowUp{} : NextAfterJob(writeJob_, JobSucceeded, state_, panIdWritten_);
}

StepResult DeviceSession::ClearAssociations() {
    Begin(SessionStep::ClearingAssociations);
    const auto answer = link_.Execute(CommandText(CmdAssocClear), CmdAssocClear, kAssocClearTimeoutMs);
    // An ERROR does not end the clear (its "+READY" may still come): the link notes it aside.
    const bool refused = answer->kind == ResultTimeout && link_.LastRestart().refused;
    return TakeAnswer(SessionStep::ClearingAssociations, CmdAssocClear, refused ? RespError : answer->kind, true,
                      std::nullopt);
}

StepResult DeviceSession::Restart(std::int32_t job) {
    const bool factory = job == JobFactoryReset;
    const SessionStep step = factory ? SessionStep::FactoryResetting : SessionStep::Restarting;
    Begin(step);
    const auto result = RunJob(job);
    const Q470Comm::RestartNews news = link_.LastRestart();
    return TakeAnswer(step, factory ? CmdFactoryReset : CmdRestart, news.refused ? RespError : news.answer,
                      result.has_value(), result);
}

VerifyReport DeviceSession::ReadBack(const std::string& port, std::vector<SettingCheck> checks) {
    Begin(SessionStep::Verifying);
    VerifyRequest request;
    request.port = port;
    if (port == names_.openedAs) request.names = names_;
    request.connection = input_.line;
    request.modelKind = state_.modelKind;
    request.extendedAddress = state_.info.extendedAddress;
    request.checks = std::move(checks);
    request.stopping = [this] { return Stopping(); };
    VerifyReport report = VerifyWrites(link_, request);
    StepResult result{SessionStep::Verifying, StepEnd::Done, std::nullopt};
    if (Stopping()) {
        result.end = StepEnd::Stopped;
    } else if (report.outcome != VerifyOutcome::Verified) {
        result.end = report.outcome == VerifyOutcome::Differs ? StepEnd::Refused : StepEnd::NoAnswer;
    }
    Ended(result);
    return report;
}

PortReturnReport DeviceSession::AwaitPortReturn(const std::string& port) {
    PortReturnReport report;
    report.restartBudget = kRestartBudget;
    if (names_.openedAs.empty() || port != names_.openedAs) return report;
    // A port that goes with the restart goes right after the acknowledgement; a device that stays
    // announces itself meanwhile.
    const Q470Comm::RestartNews restart = link_.LastRestart();
    if (restart.answer == RespOk && !restart.announced) link_.AwaitOwed(kAnnouncementWait);
    if (!link_.HungUp() && NodeOf(names_.openedAs) == names_.node) return report;
    report.wentAway = true;
    link_.Close();
    const auto back = AwaitPortReturnBy(names_, kRestartBudget, [this] { return Stopping(); });
    report.back = back.has_value();
    if (back) report.foundAs = *back;
    return report;
}

// A device in quiet mode sends no final line: there the command ends as the catalogue says (a query on
// its data line), or at its time-out.
StepResult DeviceSession::Send(const std::string& text, CommandId id, std::uint32_t timeoutMs, std::int32_t& kind) {
    Begin(SessionStep::Sending);
    const bool quiet = identified_ && state_.quietMode != 0;
    const std::string command = text + "\r";
    const auto answer =
        quiet ? link_.Execute(command, id, timeoutMs) : link_.ExecuteToFinalLine(command, id, timeoutMs);
    kind = answer->kind;
    StepResult result{SessionStep::Sending, StepEnd::Done, std::nullopt};
    if (Stopping()) {
        result.end = StepEnd::Stopped;
    } else if (link_.HungUp()) {
        result.end = StepEnd::HungUp;
    } else {
        switch (kind) {
            case RespError:
                result.end = StepEnd::Refused;
                break;
            case ResultTimeout:
                result.end = StepEnd::NoAnswer;
                break;
            case ResultClosed:
            case ResultNotOpen:
                result.end = StepEnd::HungUp;
                break;
            case ResultOutOfStep:
                result.end = StepEnd::OutOfStep;
                break;
            default:
                break;
        }
    }
    return Ended(result);
}

std::optional<std::int32_t> DeviceSession::RunJob(std::int32_t job) {
    {
        std::lock_guard<std::mutex> lock(resultMutex_);
        result_.reset();
        dropped_ = false;
        nudged_ = false;
    }
    overran_ = false;
    const auto start = std::chrono::steady_clock::now();
    worker_.PushJob(job, input_);
    std::unique_lock<std::mutex> lock(resultMutex_);
    const auto ended = [this] { return result_.has_value() || dropped_; };
    if (!watch_.budget && !watch_.tick) {
        resultArrived_.wait(lock, ended);
        return result_;
    }
    const auto deadline = watch_.budget ? start + watch_.budget(job) : std::chrono::steady_clock::time_point::max();
    while (!ended()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            overran_ = true;
            return std::nullopt;
        }
        if (watch_.tick) {
            nudged_ = false;
            lock.unlock();
            watch_.tick();
            lock.lock();
        }
        const auto next = deadline - now < watch_.period ? deadline : now + watch_.period;
        resultArrived_.wait_until(lock, next, [&] { return ended() || nudged_; });
    }
    return result_;
}

void DeviceSession::NudgeJobWatch() {
    {
        std::lock_guard<std::mutex> lock(resultMutex_);
        nudged_ = true;
    }
    resultArrived_.notify_all();
}

StepResult DeviceSession::RunStep(std::int32_t job, SessionStep step, bool write) {
    Begin(step);
    StepResult result{step, StepEnd::Done, RunJob(job)};
    std::vector<AppliedStep> commands;
    if (write) {
        writeTrail_ = jobTrail_;
        commands = jobTrail_.acknowledged;
        if (jobTrail_.failed) commands.push_back(*jobTrail_.failed);
    }
    if (Stopping()) {
        result.end = StepEnd::Stopped;
    } else if (!result.jobResult || link_.HungUp() || !link_.IsOpen()) {
        // Whatever the job made of it, a device that went away during the job cannot have done its part;
        // nor can one whose link was closed under the job, as an owner does when the device hangs up.
        result.end = StepEnd::HungUp;
    } else if (*result.jobResult != JobSucceeded) {
        const bool refused =
            write && writeTrail_->failed ? writeTrail_->failed->answer == StepAnswer::Refused : link_.LastRefused();
        result.end = link_.OutOfStep() ? StepEnd::OutOfStep : refused ? StepEnd::Refused : StepEnd::NoAnswer;
    }
    return Ended(result, std::move(commands));
}

StepResult DeviceSession::TakeAnswer(SessionStep step, CommandId command, std::int32_t answer, bool ran,
                                     std::optional<std::int32_t> jobResult) {
    AppliedStep sent{command, CommandText(command), {}, ran ? AnswerOfKind(answer) : StepAnswer::HungUp};
    while (!sent.text.empty() && sent.text.back() == '\r') sent.text.pop_back();
    const bool acknowledged = sent.answer == StepAnswer::Acknowledged;
    if (writeTrail_) {
        if (acknowledged) {
            writeTrail_->acknowledged.push_back(sent);
        } else if (!writeTrail_->failed) {
            writeTrail_->failed = sent;
        }
    }
    StepResult result{step, StepEnd::Done, jobResult};
    // A hang-up after the acknowledgement is the restart itself: a device may take its port with it.
    const bool hungUp = answer == ResultClosed || answer == ResultNotOpen || link_.HungUp();
    if (Stopping()) {
        result.end = StepEnd::Stopped;
    } else if (!ran || (!acknowledged && hungUp)) {
        result.end = StepEnd::HungUp;
    } else if (answer == ResultOutOfStep) {
        result.end = StepEnd::OutOfStep;
    } else if (!acknowledged) {
        result.end = answer == RespError ? StepEnd::Refused : StepEnd::NoAnswer;
    }
    return Ended(result, {sent});
}

void DeviceSession::Begin(SessionStep step) {
    if (progress_) progress_(step);
}

StepResult DeviceSession::Ended(StepResult result, std::vector<AppliedStep> commands) {
    trail_.push_back({result.step, result.end, std::move(commands)});
    return result;
}

void DeviceSession::PostJobResult(std::int32_t /*job*/, std::int32_t result) {
    {
        std::lock_guard<std::mutex> lock(resultMutex_);
        result_ = result;
    }
    resultArrived_.notify_all();
}

void DeviceSession::JobDropped(std::int32_t /*job*/) {
    {
        std::lock_guard<std::mutex> lock(resultMutex_);
        dropped_ = true;
    }
    resultArrived_.notify_all();
}

}  // namespace q470
