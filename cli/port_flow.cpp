#include "port_flow.h"

#include <algorithm>

#include "apply_jobs.h"
#include "command_catalogue.h"
#include "config_document.h"
#include "config_load_text.h"
#include "config_output.h"
#include "device_records.h"
#include "firmware_version.h"
#include "job_code.h"
#include "job_follow_up.h"
#include "json_report.h"
#include "model_kind.h"
#include "output_target.h"
#include "port_open_error.h"
#include "raw_command.h"
#include "save_file_name.h"
#include "setting_messages.h"
#include "settings_rules.h"
#include "terminal_text.h"

namespace q470 {
namespace {

std::string Trimmed(std::string_view frame) {
    const auto first = frame.find_first_not_of("\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = frame.find_last_not_of("\r\n");
    return std::string(frame.substr(first, last - first + 1));
}

}  // namespace

PortFlow::PortFlow(const CommandPlan& plan, std::string port, RunControl& control, ProgressReporter& progress)
    : plan_(plan),
      control_(control),
      progress_(progress),
      session_(ConnectionLine{plan.request.line.baudRate, plan.request.line.dataBits, plan.request.line.parity,
                              plan.request.line.stopBits}) {
    outcome_.port = std::move(port);
    session_.SetProgress([this](SessionStep step) { Began(step); });
    session_.SetLinkFolders(plan.linkFolders);
}

PortFlow::~PortFlow() {
    session_.Close();
    if (attached_) control_.Detach(session_);
}

PortOutcome PortFlow::Run() {
    if (plan_.request.command == CliCommand::Apply) {
        if (Attach()) Apply();
    } else if (OpenPort()) {
        RunCommand();
    }
    // The port is let go once the device has ended its last answer: its final line is seen (in a
    // trace) rather than cut off.
    if (!control_.Stopping()) session_.PayOwedFinalLine();
    session_.Close();
    outcome_.trail = session_.WriteTrail();
    if (control_.Stopping() && !finished_) MarkInterrupted();
    return outcome_;
}

bool PortFlow::Attach() {
    attached_ = control_.Attach(session_);
    if (!attached_) return false;
    // Always: the report needs the commands sent and whether the device refused one.
    session_.SetObserver([this](LinkTraffic traffic, std::string_view bytes,
                                std::chrono::steady_clock::time_point when) { Observe(traffic, bytes, when); });
    return true;
}

bool PortFlow::OpenPort() {
    if (!Attach()) return false;
    if (const auto error = session_.Open(outcome_.port)) {
        FailPort(error);
        return false;
    }
    // A stop that came while the port was opening found nothing to close.
    return !control_.Stopping();
}

void PortFlow::RunCommand() {
    if (plan_.request.command == CliCommand::At && !plan_.request.identify) return At();
    if (!Identify()) return;
    switch (plan_.request.command) {
        case CliCommand::Identify:
            return Succeed({});
        case CliCommand::Read:
            if (Read()) Succeed({});
            return;
        case CliCommand::Save:
            return Save();
        case CliCommand::Apply:
            return Apply();
        case CliCommand::Set:
            return Set();
        case CliCommand::Gpio:
            return Gpio();
        case CliCommand::Restart:
            return Restart(JobRestart, ToolText::Restarting, ToolText::NotRestarted);
        case CliCommand::FactoryReset:
            return Restart(JobFactoryReset, ToolText::FactoryResetting, ToolText::NotFactoryReset);
        case CliCommand::At:
            return At();
        case CliCommand::Ports:
        case CliCommand::Console:  // runs on its own, not as a port flow
        case CliCommand::Discover:
        case CliCommand::Log:      // reads the station's record, no port
        case CliCommand::Station:  // runs its units as applies
            return;
    }
}

bool PortFlow::Identify() {
    if (!Identified(session_.Identify())) return false;
    outcome_.identified = true;
    outcome_.device = session_.Device();
    return true;
}

bool PortFlow::Identified(const StepResult& result) {
    if (Check(result, plan_.text.Text(UiText::NoDeviceResponse))) return true;
    if (outcome_.jobResult == IdentifyUnknownModel && finished_) {
        outcome_.outcome = Outcome::UnknownModel;
        outcome_.message += " " + plan_.text.Text(ToolText::UnknownModelNote);
    }
    return false;
}

bool PortFlow::Read() {
    if (!Check(session_.Read(), plan_.text.Text(UiText::NoDeviceResponse))) return false;
    NoteRead(session_.Device());
    return true;
}

void PortFlow::NoteRead(const DeviceState& device) {
    const bool q470r = device.modelKind == ModelQ470R;
    outcome_.read = true;
    outcome_.device = device;
    outcome_.general = GeneralSettingsFromDevice(device, session_.Connection(), q470r);
    if (q470r) outcome_.gpio = GpioSettingsFromDevice(device);
    // A value older firmware or another tool left on the device is saved as read, but its file would
    // be refused on apply: say so while the device is at hand. (set and gpio refuse such values.)
    const CliCommand command = plan_.request.command;
    if (command == CliCommand::Read || command == CliCommand::Save) {
        outcome_.warnings = HeldValueLines(RestoreRefusals(outcome_.device.modelKind, outcome_.general, outcome_.gpio),
                                           plan_.text.Catalog());
    }
}

void PortFlow::Save() {
    if (!Read()) return;
    outcome_.file = FileForPort(plan_.request.arguments.front(), outcome_.port);
    Step(ToolText::StepSaving);
    const std::string bytes = ConfigFileTextForModel(outcome_.device.modelKind, outcome_.general, outcome_.gpio);
    // Checked again now that the port is open: the name may have come to point elsewhere meanwhile.
    std::vector<std::string> ports = plan_.request.ports;
    ports.push_back(outcome_.port);
    if (const auto refusal = RefusedTarget(outcome_.file, ports))
        return Fail(Outcome::FileNotWritten, TargetRefusalText(*refusal, outcome_.file, plan_.text));
    const std::error_code error = WriteConfigOutput(outcome_.file, bytes, [this] { return control_.Stopping(); });
    if (error && control_.Stopping()) return;  // cut short by the stop: reported as interrupted
    const std::string file = PrintableText(outcome_.file);
    if (error) {
        return Fail(Outcome::FileNotWritten,
                    plan_.text.Text(UiText::ConfigSaveFailed) + " (" + file + ": " + error.message() + ")");
    }
    Succeed(plan_.text.Text(UiText::ConfigSaved) + " (" + file + ")");
}

void PortFlow::Apply() {
    FileRunRequest request;
    request.port = outcome_.port;
    request.fileBytes = plan_.fileBytes;
    request.verify = plan_.request.verify;
    // Without a read-back the restart that puts the file in force is still followed to its port.
    request.awaitPortReturn = true;
    const FileRunResult result = RunConfigurationFile(session_, request);
    if (!FileWritten(result)) return;
    const std::string message = plan_.text.Text(UiText::ConfigApplied) + "\n" +
                                plan_.text.Text(ToolText::CommandsSentLine, {std::to_string(outcome_.sent.size())});
    Conclude(message, result.afterWrite);
}

bool PortFlow::FileWritten(const FileRunResult& result) {
    const std::optional<SessionStep> failed = result.failedStep;
    const StepResult failure{failed.value_or(SessionStep::Opening), result.end, result.jobResult};
    if (failed == SessionStep::Opening) {
        if (result.openError) FailPort(result.openError);
        return false;
    }
    if (failed == SessionStep::Identifying) return Identified(failure);
    outcome_.jobResult = result.jobResult;
    outcome_.identified = true;
    outcome_.device = result.device;
    if (failed == SessionStep::Reading) return Check(failure, plan_.text.Text(UiText::NoDeviceResponse));
    NoteRead(result.device);
    // Checked against the device as read, before anything is written: a file never sets the PHY ID, so
    // its channel must be one of the device's own plan.
    const ConfigLoadOutcome& loaded = result.loaded;
    outcome_.problems = loaded.problems;
    if (failed == SessionStep::CheckingRequest) {
        outcome_.details = ConfigLoadDetails(loaded, outcome_.device.modelKind, plan_.text);
        Fail(FileLoadOutcome(loaded.status), ConfigLoadHeadline(loaded, plan_.text));
        return false;
    }
    outcome_.warnings = ProblemLines(loaded.problems, plan_.text.Catalog());
    outcome_.trail = result.trail;
    const bool applied =
        failed != SessionStep::ApplyingFile || Check(failure, plan_.text.Text(UiText::ConfigApplyFailed));
    NoteUnsentItems(loaded, result.items);
    // After a failure the window reads the device again to refresh its pages; the tool has none, and its
    // report already lists what the device took and where the job stopped.
    return applied && !control_.Stopping();
}

// The job's trail names the items it sent; a job stopped halfway puts the device's own quiet mode back,
// which does not count as the file's quiet-mode item.
void PortFlow::NoteUnsentItems(const ConfigLoadOutcome& loaded, const SettingItemList& items) {
    for (const auto& problem : loaded.problems) {
        outcome_.unsent.push_back(
            {problem.member, ProblemKindWord(problem.kind), ProblemText(problem, plan_.text.Catalog())});
    }
    const std::vector<std::size_t> none;
    const std::vector<std::size_t>& sent = outcome_.trail ? outcome_.trail->itemsSent : none;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!FileJobSends(outcome_.device.modelKind, items[i].command)) continue;  // a problem names it already
        if (std::find(sent.begin(), sent.end(), i) != sent.end()) continue;
        const std::string member = i < loaded.itemMembers.size() ? loaded.itemMembers[i] : std::string();
        outcome_.unsent.push_back({member, kNotReachedReason, plan_.text.Text(ToolText::ItemNotReached, {member})});
    }
}

void PortFlow::Set() {
    if (const std::string error = plan_.general->CheckModel(outcome_.device.modelKind, plan_.text); !error.empty()) {
        return Fail(Outcome::NotForModel, error);
    }
    if (!Read()) return;
    GeneralSettings record = outcome_.general;
    if (const std::string error = plan_.general->ApplyTo(record, plan_.text); !error.empty()) {
        return Fail(Outcome::InvalidSetting, error);
    }
    // The same rule set as every other way in: nothing the page could not send goes out.
    const RadioPlan held{outcome_.general.phyId, outcome_.general.rfChannel};
    if (const SettingProblems problems = CheckGeneralSettings(record, held); !problems.empty()) {
        outcome_.details = ProblemLines(problems, plan_.text.Catalog());
        return Fail(Outcome::InvalidSetting, plan_.text.Text(ToolText::SetValuesRefused));
    }
    if (!CheckWrite(session_.WriteGeneral(record), plan_.text.Text(UiText::ApplyGeneralFailed))) return;
    outcome_.general = record;
    outcome_.generalWritten = true;
    outcome_.device.quietMode = session_.Device().quietMode;  // the closing write set it
    const bool panIdChanged = session_.NextAfterWrite().step == FollowUpStep::ClearAssociations;
    const WriteFollowUp after = FinishWrites(session_, FollowUpFor());
    Conclude(plan_.text.Text(panIdChanged ? UiText::PanIdChanged : UiText::ApplyGeneralDone), after);
}

std::optional<PortFlow::Acknowledgement> PortFlow::TakeAnswer(const StepResult& result) {
    switch (result.end) {
        case StepEnd::Done:
            return Acknowledgement::Acknowledged;
        case StepEnd::Refused:
            return Acknowledgement::Refused;
        case StepEnd::NoAnswer:
            return Acknowledgement::NoAnswer;
        case StepEnd::HungUp:
            FailDisconnected(StepText(result.step));
            return std::nullopt;
        case StepEnd::OutOfStep:
            FailOutOfStep({});
            return std::nullopt;
        case StepEnd::Stopped:
            break;
    }
    return std::nullopt;
}

std::string PortFlow::NotAcknowledgedText(Acknowledgement acknowledgement, ToolText what, CommandId command) const {
    const ToolText why =
        acknowledgement == Acknowledgement::Refused ? ToolText::AnsweredError : ToolText::NoAnswerReason;
    return plan_.text.Text(what, {Trimmed(CommandText(command)), plan_.text.Text(why)});
}

void PortFlow::FailNotAcknowledged(Acknowledgement acknowledgement, std::string message) {
    Fail(acknowledgement == Acknowledgement::Refused ? Outcome::Refused : Outcome::NoAnswer, std::move(message));
}

void PortFlow::FailOutOfStep(std::string before) {
    const std::string& owing = lastSent_;
    const std::string text = plan_.text.Text(ToolText::OutOfStep, {EscapeTraffic(owing)});
    Fail(Outcome::NoAnswer, before.empty() ? text : before + ": " + text);
}

void PortFlow::Gpio() {
    if (!IsQ470R()) {
        return Fail(Outcome::NotForModel,
                    plan_.text.Text(ToolText::GpioNoGpio, {ModelName(outcome_.device.modelKind)}));
    }
    if (!Read()) return;
    GpioSettings record = outcome_.gpio;
    plan_.gpio->ApplyTo(record);
    // Pins the command leaves alone are sent as read: a value the device holds but may not is refused
    // here rather than written back.
    if (const SettingProblems problems = CheckGpioSettings(record); !problems.empty()) {
        outcome_.details = ProblemLines(problems, plan_.text.Catalog());
        return Fail(Outcome::InvalidSetting, plan_.text.Text(ToolText::GpioValuesRefused));
    }
    if (!CheckWrite(session_.WriteGpio(record), plan_.text.Text(UiText::ApplyGpioFailed))) return;
    outcome_.gpio = record;
    outcome_.gpioWritten = true;
    Conclude(plan_.text.Text(UiText::ApplyGpioDone), FinishWrites(session_, FollowUpFor()));
}

void PortFlow::Restart(std::int32_t job, ToolText doneText, ToolText notDoneText) {
    const StepResult result = session_.Restart(job);
    outcome_.jobResult = result.jobResult;
    const auto acknowledgement = TakeAnswer(result);
    outcome_.restarted = acknowledgement == Acknowledgement::Acknowledged;
    if (!acknowledgement) return;
    if (outcome_.restarted) {
        std::string message = plan_.text.Text(doneText);
        if (NotePortReturn(session_.AwaitPortReturn(outcome_.port), message)) Succeed(std::move(message));
        return;
    }
    const CommandId command = job == JobFactoryReset ? CmdFactoryReset : CmdRestart;
    FailNotAcknowledged(*acknowledgement, NotAcknowledgedText(*acknowledgement, notDoneText, command));
}

// Every line the device sends for the command, up to its final OK or ERROR, whatever the command.
void PortFlow::At() {
    const std::uint32_t timeoutMs = plan_.request.atTimeoutMs;
    std::int32_t kind = ResultNoRecord;
    collectLines_ = true;
    const std::string& text = plan_.request.arguments.front();
    const StepResult result = session_.Send(text, CommandIdForText(text), timeoutMs, kind);
    collectLines_ = false;
    switch (result.end) {
        case StepEnd::Stopped:
            return;
        case StepEnd::HungUp:
            return FailDisconnected(ToolText::StepSending);
        case StepEnd::OutOfStep:
            return FailOutOfStep({});
        case StepEnd::Refused:
            outcome_.finalLine = "ERROR";
            return Fail(Outcome::Refused, plan_.text.Text(ToolText::AnsweredError));
        case StepEnd::NoAnswer: {
            std::string why = plan_.text.Text(ToolText::AtTimedOut, {std::to_string(timeoutMs)});
            // A device in quiet mode sends no final line: the command ended at its time-out.
            if (outcome_.identified && session_.Device().quietMode != 0)
                why += " " + plan_.text.Text(ToolText::QuietModeNote);
            return Fail(Outcome::NoAnswer, why);
        }
        case StepEnd::Done:
            break;
    }
    if (kind == RespOk) outcome_.finalLine = "OK";
    Succeed({});
}

bool PortFlow::CheckWrite(const StepResult& result, const std::string& failure) {
    outcome_.trail = session_.WriteTrail();
    return Check(result, failure);
}

bool PortFlow::Check(const StepResult& result, const std::string& failure) {
    outcome_.jobResult = result.jobResult;
    switch (result.end) {
        case StepEnd::Done:
            return true;
        case StepEnd::Stopped:
            return false;
        case StepEnd::HungUp:
            FailDisconnected(StepText(result.step));
            return false;
        case StepEnd::OutOfStep:
            FailOutOfStep(failure);
            return false;
        case StepEnd::Refused:
            Fail(Outcome::Refused, failure);
            return false;
        case StepEnd::NoAnswer:
            Fail(Outcome::NoAnswer, failure);
            return false;
    }
    return false;
}

bool PortFlow::IsQ470R() const {
    return session_.IsQ470R();
}

void PortFlow::Began(SessionStep step) {
    recordSent_ =
        step == SessionStep::ApplyingFile || step == SessionStep::ApplyingGeneral || step == SessionStep::ApplyingGpio;
    Step(StepText(step));
}

void PortFlow::Step(ToolText what) {
    progress_.Began(outcome_.port, what);
    progress_.Step(outcome_.port, plan_.text.Text(ToolText::ProgressLine, {plan_.text.Text(what)}));
}

void PortFlow::Succeed(std::string message) {
    finished_ = true;
    outcome_.status = ExitOk;
    outcome_.outcome = Outcome::Ok;
    outcome_.message = std::move(message);
}

void PortFlow::Fail(Outcome outcome, std::string message) {
    finished_ = true;
    outcome_.outcome = outcome;
    outcome_.status = OutcomeStatus(outcome);
    outcome_.message = std::move(message);
}

void PortFlow::FailPort(const std::error_code& error) {
    Fail(PortOpenOutcome(error), PortOpenError(error, plan_.text));
}

ToolText PortFlow::StepText(SessionStep step) {
    switch (step) {
        case SessionStep::Opening:
            return ToolText::StepOpening;
        case SessionStep::Identifying:
            return ToolText::StepIdentifying;
        case SessionStep::Reading:
        case SessionStep::CheckingRequest:
            return ToolText::StepReading;
        case SessionStep::ApplyingFile:
            return ToolText::StepApplyingFile;
        case SessionStep::ApplyingGeneral:
            return ToolText::StepApplyingGeneral;
        case SessionStep::ApplyingGpio:
            return ToolText::StepApplyingGpio;
        case SessionStep::ClearingAssociations:
            return ToolText::StepClearingAssociations;
        case SessionStep::Restarting:
            return ToolText::StepRestarting;
        case SessionStep::FactoryResetting:
            return ToolText::StepFactoryReset;
        case SessionStep::Verifying:
            return ToolText::StepVerifying;
        case SessionStep::Sending:
            break;
    }
    return ToolText::StepSending;
}

void PortFlow::FailDisconnected(ToolText step) {
    Fail(Outcome::Disconnected, plan_.text.Text(ToolText::Disconnected, {plan_.text.Text(step)}));
}

void PortFlow::Observe(LinkTraffic traffic, std::string_view bytes, std::chrono::steady_clock::time_point when) {
    if (plan_.trace) plan_.trace->Write(outcome_.port, traffic, bytes, when);
    if (traffic == LinkTraffic::Sent) {
        lastSent_ = Trimmed(bytes);
        if (recordSent_) outcome_.sent.push_back(EscapeTraffic(lastSent_));
        return;
    }
    if (traffic != LinkTraffic::Answer || !collectLines_) return;
    const std::string line = Trimmed(bytes);
    if (!line.empty()) outcome_.lines.push_back(EscapeTraffic(line));
}

void PortFlow::MarkInterrupted() {
    outcome_.outcome = Outcome::Interrupted;
    outcome_.status = InterruptedStatus(control_.Signal());
    outcome_.message = plan_.text.Text(ToolText::Interrupted);
}

}  // namespace q470
