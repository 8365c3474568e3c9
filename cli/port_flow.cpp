#include "port_flow.h"

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

constexpr std::string_view kQuietModeWrite = "AT+QM=";
constexpr std::string_view kAssocClear = "AT+ASSOCCLR";

std::string Trimmed(std::string_view frame) {
    const auto first = frame.find_first_not_of("\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = frame.find_last_not_of("\r\n");
    return std::string(frame.substr(first, last - first + 1));
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

PortFlow::PortFlow(const CommandPlan& plan, std::string port, RunControl& control, ProgressReporter& progress)
    : plan_(plan), control_(control), progress_(progress), session_(plan.request.line) {
    outcome_.port = std::move(port);
}

PortFlow::~PortFlow() {
    session_.Close();
    if (attached_) control_.Detach(session_);
}

PortOutcome PortFlow::Run() {
    if (OpenPort()) RunCommand();
    // The port is let go once the device has ended its last answer: its final line is seen (in a
    // trace) rather than cut off.
    if (!control_.Stopping()) session_.DeviceLink().PayOwedFinalLine();
    session_.Close();
    if (control_.Stopping() && !finished_) MarkInterrupted();
    return outcome_;
}

bool PortFlow::OpenPort() {
    attached_ = control_.Attach(session_);
    if (!attached_) return false;
    // Always: the report needs the commands sent and whether the device refused one.
    session_.DeviceLink().SetObserver(
        [this](LinkTraffic traffic, std::string_view bytes, std::chrono::steady_clock::time_point when) {
            Observe(traffic, bytes, when);
        });
    Step(ToolText::StepOpening);
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
            return Restart(JobRestart, ToolText::StepRestarting, ToolText::Restarting, ToolText::NotRestarted);
        case CliCommand::FactoryReset:
            return Restart(JobFactoryReset, ToolText::StepFactoryReset, ToolText::FactoryResetting,
                           ToolText::NotFactoryReset);
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
    if (!RunJob(JobIdentify, ToolText::StepIdentifying, JobSucceeded, plan_.text.Text(UiText::NoDeviceResponse))) {
        if (outcome_.jobResult == IdentifyUnknownModel && finished_) {
            outcome_.outcome = Outcome::UnknownModel;
            outcome_.message += " " + plan_.text.Text(ToolText::UnknownModelNote);
        }
        return false;
    }
    outcome_.identified = true;
    outcome_.device = session_.Device();
    return true;
}

bool PortFlow::Read() {
    const bool q470r = IsQ470R();
    if (!RunJob(ReadJobOf(session_.Device().modelKind), ToolText::StepReading, JobSucceeded,
                plan_.text.Text(UiText::NoDeviceResponse))) {
        return false;
    }
    outcome_.read = true;
    outcome_.device = session_.Device();
    outcome_.general = GeneralSettingsFromDevice(outcome_.device, session_.Connection(), q470r);
    if (q470r) outcome_.gpio = GpioSettingsFromDevice(outcome_.device);
    // A value older firmware or another tool left on the device is saved as read, but its file would
    // be refused on apply: say so while the device is at hand. (set and gpio refuse such values.)
    const CliCommand command = plan_.request.command;
    if (command == CliCommand::Read || command == CliCommand::Save) {
        outcome_.warnings = HeldValueLines(RestoreRefusals(outcome_.device.modelKind, outcome_.general, outcome_.gpio),
                                           plan_.text.Language());
    }
    return true;
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
    if (!Read()) return;
    // Checked against the device as read, before anything is written: a file never sets the PHY ID, so
    // its channel must be one of the device's own plan.
    ConfigTarget target;
    target.modelKind = outcome_.device.modelKind;
    target.radio = RadioPlan{outcome_.device.network.phyId, outcome_.device.network.rfChannel};
    ConfigDocument document;
    SettingItemList items;
    const ConfigLoadOutcome loaded = LoadConfigBytesForModel(plan_.fileBytes, target, document, items);
    outcome_.problems = loaded.problems;
    if (loaded.status != ConfigLoadStatus::Loaded) {
        outcome_.details = ConfigLoadDetails(loaded, outcome_.device.modelKind, plan_.text);
        return Fail(FileLoadOutcome(loaded.status), ConfigLoadHeadline(loaded, plan_.text));
    }
    outcome_.warnings = ProblemLines(loaded.problems, plan_.text.Language());
    const bool deviceWasQuiet = outcome_.device.quietMode != 0;
    session_.SetFileItems(items);
    const std::int32_t job = IsQ470R() ? JobApplyFileQ470R : JobApplyFileKs;
    const bool applied =
        RunJob(job, ToolText::StepApplyingFile, JobSucceeded, plan_.text.Text(UiText::ConfigApplyFailed), true);
    NoteUnsentItems(loaded, items, deviceWasQuiet);
    // After a failure the window reads the device again to refresh its pages; the tool has none, and its
    // report already lists what the device took and where the job stopped.
    if (!applied) return;
    const std::string message = plan_.text.Text(UiText::ConfigApplied) + "\n" +
                                plan_.text.Text(ToolText::CommandsSentLine, {std::to_string(outcome_.sent.size())});
    const FollowUp next = NextAfterJob(job, JobSucceeded, session_.Device(), 0);
    if (!RunRestartJob(next.job, ToolText::StepRestarting)) return;
    FinishWrites(message, ChecksOfItems(session_.FileItems(), IsQ470R()));
}

// What went on the wire tells which items the job reached: its set commands one per item it walked, in
// order, between the quiet-mode writes of its bracket (the opening one only on a quiet device) and the
// association clear a PAN ID change brings.
void PortFlow::NoteUnsentItems(const ConfigLoadOutcome& loaded, const SettingItemList& items, bool deviceWasQuiet) {
    for (const auto& problem : loaded.problems) {
        outcome_.unsent.push_back(
            {problem.member, ProblemKindWord(problem.kind), ProblemText(problem, plan_.text.Language())});
    }
    std::size_t walked = 0;
    std::size_t quietWrites = 0;
    for (const auto& command : outcome_.sent) {
        if (StartsWith(command, kQuietModeWrite)) {
            ++quietWrites;
        } else if (command != kAssocClear) {
            ++walked;
        }
    }
    // A job stopped halfway puts the device's own quiet mode back, not the file's.
    const bool restoredOnStop = control_.Stopping() && outcome_.trail && outcome_.trail->failed;
    const bool closed = !restoredOnStop && quietWrites > (deviceWasQuiet ? 1u : 0u);
    std::size_t index = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::int32_t command = items[i].command;
        if (!FileJobSends(outcome_.device.modelKind, command)) continue;  // a problem names it already
        const bool reached = command == CmdQuietModeSet ? closed : index++ < walked;
        if (reached) continue;
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
        outcome_.details = ProblemLines(problems, plan_.text.Language());
        return Fail(Outcome::InvalidSetting, plan_.text.Text(ToolText::SetValuesRefused));
    }
    session_.SetGeneralRecord(record);
    const bool q470r = IsQ470R();
    const std::int32_t job = q470r ? JobApplyGeneralQ470R : JobApplyGeneralKs;
    if (!RunJob(job, ToolText::StepApplyingGeneral, JobSucceeded, plan_.text.Text(UiText::ApplyGeneralFailed), true)) {
        return;
    }
    outcome_.general = record;
    outcome_.generalWritten = true;
    outcome_.device.quietMode = session_.Device().quietMode;  // the closing write set it
    std::vector<SettingCheck> checks = ChecksOfGeneral(record, q470r, DeviceHasRxPullUp(session_.Device()));
    const FollowUp next = NextAfterJob(job, JobSucceeded, session_.Device(), record.panId);
    if (next.step != FollowUpStep::ClearAssociations)
        return FinishWrites(plan_.text.Text(UiText::ApplyGeneralDone), std::move(checks));

    // The old network's associations would stay: cleared from this thread, as the window does, and the
    // device restarted whatever the clear's answer.
    if (!ClearAssociations()) return;
    if (session_.DeviceLink().IsOpen() && !RunRestartJob(next.job, ToolText::StepRestarting)) return;
    FinishWrites(plan_.text.Text(UiText::PanIdChanged), std::move(checks));
}

bool PortFlow::ClearAssociations() {
    Step(ToolText::StepClearingAssociations);
    const auto answer = session_.Execute(CommandText(CmdAssocClear), CmdAssocClear, kAssocClearTimeoutMs);
    const bool refused = answer->kind == ResultTimeout && session_.DeviceLink().LastRestart().refused;
    cleared_ = TakeAnswer(CmdAssocClear, refused ? RespError : answer->kind, true, ToolText::StepClearingAssociations);
    outcome_.associationCleared = cleared_ == Acknowledgement::Acknowledged;
    return cleared_.has_value();
}

std::optional<PortFlow::Acknowledgement> PortFlow::RunRestartJob(std::int32_t job, ToolText step) {
    Step(step);
    const auto result = session_.RunJob(job);
    outcome_.jobResult = result;
    const CommandId command = job == JobFactoryReset ? CmdFactoryReset : CmdRestart;
    const Q470Comm::RestartNews news = session_.DeviceLink().LastRestart();
    restarted_ = TakeAnswer(command, news.refused ? RespError : news.answer, result.has_value(), step);
    outcome_.restarted = restarted_ == Acknowledgement::Acknowledged;
    return restarted_;
}

std::optional<PortFlow::Acknowledgement> PortFlow::TakeAnswer(CommandId command, std::int32_t answer, bool ran,
                                                              ToolText step) {
    const bool acknowledged = ran && (answer == RespOk || answer == RespReady || answer == RespReadyDebug);
    if (outcome_.trail) {
        AppliedStep sent{command, Trimmed(CommandText(command))};
        if (acknowledged) {
            outcome_.trail->acknowledged.push_back(std::move(sent));
        } else if (!outcome_.trail->failed) {
            outcome_.trail->failed = std::move(sent);
        }
    }
    if (control_.Stopping()) return std::nullopt;
    // A hang-up after the acknowledgement is the restart itself: a device may take its port with it.
    const bool hungUp = answer == ResultClosed || answer == ResultNotOpen || session_.DeviceLink().HungUp();
    if (!ran || (!acknowledged && hungUp)) {
        FailDisconnected(step);
        return std::nullopt;
    }
    if (answer == ResultOutOfStep) {
        FailOutOfStep({});
        return std::nullopt;
    }
    if (acknowledged) return Acknowledgement::Acknowledged;
    return answer == RespError ? Acknowledgement::Refused : Acknowledgement::NoAnswer;
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
    const std::string owing = exchanges_.empty() ? std::string() : exchanges_.back().command;
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
        outcome_.details = ProblemLines(problems, plan_.text.Language());
        return Fail(Outcome::InvalidSetting, plan_.text.Text(ToolText::GpioValuesRefused));
    }
    session_.SetGpioRecord(record);
    if (!RunJob(JobApplyGpio, ToolText::StepApplyingGpio, JobSucceeded, plan_.text.Text(UiText::ApplyGpioFailed),
                true)) {
        return;
    }
    outcome_.gpio = record;
    outcome_.gpioWritten = true;
    FinishWrites(plan_.text.Text(UiText::ApplyGpioDone), ChecksOfGpio(record));
}

void PortFlow::Restart(std::int32_t job, ToolText step, ToolText doneText, ToolText notDoneText) {
    const auto acknowledgement = RunRestartJob(job, step);
    if (!acknowledgement) return;
    if (*acknowledgement == Acknowledgement::Acknowledged) return Succeed(plan_.text.Text(doneText));
    const CommandId command = job == JobFactoryReset ? CmdFactoryReset : CmdRestart;
    FailNotAcknowledged(*acknowledgement, NotAcknowledgedText(*acknowledgement, notDoneText, command));
}

// Every line the device sends for the command, up to its final OK or ERROR, whatever the command. A
// device in quiet mode sends no final line: there the command ends as the catalogue says (a query on
// its data line), or at its time-out.
void PortFlow::At() {
    const std::string& text = plan_.request.arguments.front();
    Step(ToolText::StepSending);
    const bool quiet = outcome_.identified && outcome_.device.quietMode != 0;
    Q470Comm& link = session_.DeviceLink();
    const std::string command = text + "\r";
    const std::uint32_t timeoutMs = plan_.request.atTimeoutMs;
    collectLines_ = true;
    const auto answer = quiet ? link.Execute(command, CommandIdForText(text), timeoutMs)
                              : link.ExecuteToFinalLine(command, CommandIdForText(text), timeoutMs);
    collectLines_ = false;
    if (control_.Stopping()) return;
    if (link.HungUp()) return FailDisconnected(ToolText::StepSending);
    switch (answer->kind) {
        case RespOk:
            outcome_.finalLine = "OK";
            return Succeed({});
        case RespError:
            outcome_.finalLine = "ERROR";
            return Fail(Outcome::Refused, plan_.text.Text(ToolText::AnsweredError));
        case ResultTimeout: {
            std::string why = plan_.text.Text(ToolText::AtTimedOut, {std::to_string(timeoutMs)});
            if (quiet) why += " " + plan_.text.Text(ToolText::QuietModeNote);
            return Fail(Outcome::NoAnswer, why);
        }
        case ResultClosed:
        case ResultNotOpen:
            return FailDisconnected(ToolText::StepSending);
        case ResultOutOfStep:
            return FailOutOfStep({});
        default:
            return Succeed({});
    }
}

bool PortFlow::RunJob(std::int32_t job, ToolText step, std::int32_t expected, const std::string& failure, bool write) {
    Step(step);
    recordSent_ = write;
    const auto result = session_.RunJob(job);
    recordSent_ = false;
    if (write) outcome_.trail = session_.Trail();
    outcome_.jobResult = result;
    if (control_.Stopping()) return false;
    // Whatever the job made of it, a device that went away during the job cannot have done its part.
    if (!result || session_.DeviceLink().HungUp()) {
        FailDisconnected(step);
        return false;
    }
    if (*result != expected) {
        if (session_.DeviceLink().OutOfStep()) {
            FailOutOfStep(failure);
        } else {
            Fail(DeviceFailure(), failure);
        }
        return false;
    }
    return true;
}

Outcome PortFlow::DeviceFailure() const {
    const bool stepFailed = outcome_.trail && outcome_.trail->failed;
    const std::string stoppedAt = stepFailed           ? outcome_.trail->failed->text
                                  : exchanges_.empty() ? std::string()
                                                       : exchanges_.back().command;
    for (auto sent = exchanges_.rbegin(); sent != exchanges_.rend(); ++sent) {
        if (sent->command == stoppedAt) return sent->refused ? Outcome::Refused : Outcome::NoAnswer;
    }
    return Outcome::NoAnswer;
}

bool PortFlow::IsQ470R() const {
    return session_.Device().modelKind == ModelQ470R;
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

void PortFlow::FailDisconnected(ToolText step) {
    Fail(Outcome::Disconnected, plan_.text.Text(ToolText::Disconnected, {plan_.text.Text(step)}));
}

void PortFlow::Observe(LinkTraffic traffic, std::string_view bytes, std::chrono::steady_clock::time_point when) {
    if (plan_.trace) plan_.trace->Write(outcome_.port, traffic, bytes, when);
    if (traffic == LinkTraffic::Sent) {
        const std::string command = Trimmed(bytes);
        exchanges_.push_back({command, false});
        if (recordSent_) outcome_.sent.push_back(EscapeTraffic(command));
        return;
    }
    if (traffic != LinkTraffic::Answer) return;
    const std::string line = Trimmed(bytes);
    if (line.empty()) return;
    if (line == "ERROR" && !exchanges_.empty()) exchanges_.back().refused = true;
    if (collectLines_) outcome_.lines.push_back(EscapeTraffic(line));
}

void PortFlow::MarkInterrupted() {
    outcome_.outcome = Outcome::Interrupted;
    outcome_.status = InterruptedStatus(control_.Signal());
    outcome_.message = plan_.text.Text(ToolText::Interrupted);
}

}  // namespace q470
