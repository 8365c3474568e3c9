#include "port_flow.h"

#include "argument_path.h"
#include "command_catalogue.h"
#include "config_document.h"
#include "config_exchange.h"
#include "config_load_text.h"
#include "device_records.h"
#include "firmware_version.h"
#include "job_code.h"
#include "model_kind.h"
#include "needs_assoc_clear.h"
#include "port_open_error.h"
#include "raw_command.h"
#include "setting_messages.h"
#include "settings_rules.h"

namespace q470 {
namespace {

constexpr const char* kPortPlaceholder = "{port}";

std::string PortBaseName(const std::string& port) {
    const auto slash = port.find_last_of('/');
    return slash == std::string::npos ? port : port.substr(slash + 1);
}

std::string FileForPort(const std::string& file, const std::string& port) {
    std::string path = file;
    const std::string placeholder = kPortPlaceholder;
    for (auto at = path.find(placeholder); at != std::string::npos; at = path.find(placeholder, at)) {
        const std::string name = PortBaseName(port);
        path.replace(at, placeholder.size(), name);
        at += name.size();
    }
    return path;
}

std::string Trimmed(std::string_view frame) {
    const auto first = frame.find_first_not_of("\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = frame.find_last_not_of("\r\n");
    return std::string(frame.substr(first, last - first + 1));
}

bool CompletedWell(std::int32_t kind) {
    switch (kind) {
        case RespError:
        case ResultTimeout:
        case ResultNotOpen:
        case ResultClosed:
        case ResultNoRecord:
            return false;
        default:
            return true;
    }
}

ConnectionLine ConnectionOf(const LineOptions& line) {
    ConnectionLine connection;
    connection.baudRate = line.baudRate;
    connection.dataBits = line.dataBits;
    connection.parity = line.parity;
    connection.stopBits = line.stopBits;
    return connection;
}

}  // namespace

PortFlow::PortFlow(const CommandPlan& plan, std::string port, RunControl& control, ProgressReporter& progress)
    : plan_(plan), control_(control), progress_(progress), session_(plan.request.line) {
    outcome_.port = std::move(port);
}

PortFlow::~PortFlow() {
    session_.Close();
    if (attached_) control_.Detach(session_.DeviceLink());
}

PortOutcome PortFlow::Run() {
    if (OpenPort()) RunCommand();
    session_.Close();
    if (control_.Stopping() && !finished_) MarkInterrupted();
    return outcome_;
}

bool PortFlow::OpenPort() {
    attached_ = control_.Attach(session_.DeviceLink());
    if (!attached_) return false;
    const bool atCommand = plan_.request.command == CliCommand::At;
    if (plan_.trace || atCommand) {
        session_.DeviceLink().SetObserver([this](LinkTraffic traffic, std::string_view bytes) { Observe(traffic, bytes); });
    }
    Step("opening the port");
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
            return Restart(JobRestart, "The device is restarting.");
        case CliCommand::FactoryReset:
            return Restart(JobFactoryReset, "The device is returning to its factory settings and restarting.");
        case CliCommand::At:
            return At();
        case CliCommand::Ports:
        case CliCommand::Console:  // runs on its own, not as a port flow
        case CliCommand::Discover:
            return;
    }
}

bool PortFlow::Identify() {
    if (!RunJob(JobIdentify, "identifying the device", JobSucceeded, plan_.text.Text(UiText::NoDeviceResponse))) {
        if (outcome_.result == IdentifyUnknownModel) {
            outcome_.message += " (the device's model name is none of Q470R, KELDAN-KS410, KELDAN-KS400)";
        }
        return false;
    }
    outcome_.identified = true;
    outcome_.device = session_.Device();
    return true;
}

bool PortFlow::Read() {
    const bool q470r = IsQ470R();
    if (!RunJob(q470r ? JobReadQ470R : JobReadKs, "reading the settings", JobSucceeded,
                plan_.text.Text(UiText::NoDeviceResponse))) {
        return false;
    }
    outcome_.read = true;
    outcome_.device = session_.Device();
    outcome_.general = GeneralSettingsFromDevice(outcome_.device, ConnectionOf(session_.Line()), q470r);
    if (q470r) outcome_.gpio = GpioSettingsFromDevice(outcome_.device);
    return true;
}

void PortFlow::Save() {
    if (!Read()) return;
    outcome_.file = FileForPort(plan_.request.arguments.front(), outcome_.port);
    Step("saving the configuration file");
    const int written =
        SaveConfigForModel(PathFromArgument(outcome_.file), outcome_.device.modelKind, outcome_.general, outcome_.gpio);
    if (written != 0)
        return Fail(ExitFileFailed, plan_.text.Text(UiText::ConfigSaveFailed) + " (" + outcome_.file + ")");
    Succeed(plan_.text.Text(UiText::ConfigSaved) + " (" + outcome_.file + ")");
}

void PortFlow::Apply() {
    if (!Read()) return;
    const std::string& file = plan_.request.arguments.front();
    // Checked against the device as read, before anything is written: a file never sets the PHY ID, so
    // its channel must be one of the device's own plan.
    ConfigTarget target;
    target.modelKind = outcome_.device.modelKind;
    target.radio = RadioPlan{outcome_.device.network.phyId, outcome_.device.network.rfChannel};
    ConfigDocument document;
    SettingItemList items;
    const ConfigLoadOutcome loaded = LoadConfigForModel(PathFromArgument(file), target, document, items);
    outcome_.problems = loaded.problems;
    if (loaded.status != ConfigLoadStatus::Loaded) {
        outcome_.details = ConfigLoadDetails(loaded, outcome_.device.modelKind, plan_.text);
        return Fail(ExitFileFailed, ConfigLoadHeadline(loaded, plan_.text));
    }
    outcome_.warnings = ProblemLines(loaded.problems, plan_.text.Language());
    const std::size_t count = items.size();
    session_.SetFileItems(std::move(items));
    if (!RunApplyJob(IsQ470R() ? JobApplyFileQ470R : JobApplyFileKs, "applying the configuration file",
                     plan_.text.Text(UiText::ConfigApplyFailed))) {
        return;
    }
    outcome_.executedCommands = count;
    // The window's box: string 128 followed by the line with the number of items in the file.
    const std::string applied = plan_.text.Text(UiText::ConfigApplied) +
                                plan_.text.Format(UiText::ExecutedCommandsLine, static_cast<long long>(count));
    if (!RunJob(JobRestart, "restarting the device", JobSucceeded, plan_.text.Text(UiText::NoDeviceResponse))) return;
    outcome_.restarted = true;
    FinishWrites(applied, ChecksOfItems(session_.FileItems(), IsQ470R()));
}

void PortFlow::Set() {
    if (const std::string error = plan_.general->CheckModel(outcome_.device.modelKind); !error.empty()) {
        return Fail(ExitUsage, error);
    }
    if (!Read()) return;
    GeneralSettings record = outcome_.general;
    if (const std::string error = plan_.general->ApplyTo(record, plan_.text); !error.empty()) {
        return Fail(ExitUsage, error);
    }
    // The same rule set as every other way in: nothing the page could not send goes out.
    const RadioPlan held{outcome_.general.phyId, outcome_.general.rfChannel};
    if (const SettingProblems problems = CheckGeneralSettings(record, held); !problems.empty()) {
        outcome_.details = ProblemLines(problems, plan_.text.Language());
        return Fail(ExitUsage, "set: not sent, the settings hold values the device may not take:");
    }
    session_.SetGeneralRecord(record);
    const bool q470r = IsQ470R();
    if (!RunApplyJob(q470r ? JobApplyGeneralQ470R : JobApplyGeneralKs, "applying the general settings",
                     plan_.text.Text(UiText::ApplyGeneralFailed))) {
        return;
    }
    outcome_.general = record;
    outcome_.device.quietMode = session_.Device().quietMode;  // the closing write set it
    std::vector<SettingCheck> checks = ChecksOfGeneral(record, q470r, FirmwareHasRxPullUp(FirmwareText(session_.Device())));
    if (!q470r || !NeedsAssocClear(record.panId, session_.Device()))
        return FinishWrites(plan_.text.Text(UiText::ApplyGeneralDone), std::move(checks));

    // The old network's associations would stay: the window clears them itself, answer ignored, and
    // restarts the device.
    Step("clearing the association data");
    session_.Execute(CommandText(CmdAssocClear), CmdAssocClear, Q470Comm::kDefaultTimeoutMs);
    outcome_.associationCleared = true;
    if (session_.DeviceLink().IsOpen()) {
        if (!RunJob(JobRestart, "restarting the device", JobSucceeded, plan_.text.Text(UiText::NoDeviceResponse)))
            return;
        outcome_.restarted = true;
    }
    FinishWrites(plan_.text.Text(UiText::PanIdChanged), std::move(checks));
}

void PortFlow::Gpio() {
    if (!IsQ470R()) {
        return Fail(ExitUsage,
                    std::string("gpio: the ") + ModelName(outcome_.device.modelKind) + " has no GPIO settings");
    }
    if (!Read()) return;
    GpioSettings record = outcome_.gpio;
    plan_.gpio->ApplyTo(record);
    // Pins the command leaves alone are sent as read: a value the device holds but may not is refused
    // here rather than written back.
    if (const SettingProblems problems = CheckGpioSettings(record); !problems.empty()) {
        outcome_.details = ProblemLines(problems, plan_.text.Language());
        return Fail(ExitUsage, "gpio: not sent, the settings hold values the device may not take (give those pins):");
    }
    session_.SetGpioRecord(record);
    if (!RunApplyJob(JobApplyGpio, "applying the GPIO settings", plan_.text.Text(UiText::ApplyGpioFailed))) return;
    outcome_.gpio = record;
    FinishWrites(plan_.text.Text(UiText::ApplyGpioDone), ChecksOfGpio(record));
}

void PortFlow::Restart(std::int32_t job, const char* doneText) {
    const char* step = job == JobRestart ? "restarting the device" : "restoring the factory settings";
    if (!RunJob(job, step, JobSucceeded, plan_.text.Text(UiText::NoDeviceResponse))) return;
    outcome_.restarted = true;
    Succeed(doneText);
}

void PortFlow::At() {
    const std::string& text = plan_.request.arguments.front();
    Step("sending the command");
    Q470Comm& link = session_.DeviceLink();
    collectLines_ = true;
    const auto answer = session_.Execute(text + "\r", CommandIdForText(text), plan_.request.atTimeoutMs);
    collectLines_ = false;
    outcome_.result = answer->kind;
    if (control_.Stopping()) return;
    if (answer->kind == RespError) return Fail(ExitDeviceFailed, "the device answered ERROR", answer->kind);
    if (answer->kind == ResultTimeout) {
        std::string why = "no answer completed the command within " + std::to_string(plan_.request.atTimeoutMs) + " ms";
        if (outcome_.identified && outcome_.device.quietMode) why += " (the device is in quiet mode: it sends no OK)";
        return Fail(ExitDeviceFailed, why, answer->kind);
    }
    if (link.HungUp()) return FailDisconnected("sending the command");
    if (!CompletedWell(answer->kind)) return Fail(ExitDeviceFailed, "the port closed", answer->kind);
    Succeed({});
}

bool PortFlow::RunJob(std::int32_t job, const char* step, std::int32_t expected, const std::string& failure) {
    Step(step);
    const auto result = session_.RunJob(job);
    outcome_.result = result;
    if (control_.Stopping()) return false;
    // Whatever the job made of it, a device that went away during the job cannot have done its part.
    if (!result || session_.DeviceLink().HungUp()) {
        FailDisconnected(step);
        return false;
    }
    if (*result != expected) {
        Fail(ExitDeviceFailed, failure, result);
        return false;
    }
    return true;
}

bool PortFlow::RunApplyJob(std::int32_t job, const char* step, const std::string& failure) {
    const bool ok = RunJob(job, step, JobSucceeded, failure);
    outcome_.trail = session_.Trail();
    return ok;
}

bool PortFlow::IsQ470R() const {
    return session_.Device().modelKind == ModelQ470R;
}

void PortFlow::Step(const char* what) {
    progress_.Step(outcome_.port, what);
}

void PortFlow::Succeed(std::string message) {
    finished_ = true;
    outcome_.status = ExitOk;
    outcome_.message = std::move(message);
}

void PortFlow::Fail(int status, std::string message, std::optional<std::int32_t> result) {
    finished_ = true;
    outcome_.status = status;
    outcome_.message = std::move(message);
    if (result) outcome_.result = result;
}

void PortFlow::FailPort(const std::error_code& error) {
    Fail(ExitPortFailed, PortOpenError(error, plan_.text));
}

void PortFlow::FailDisconnected(const char* step) {
    Fail(ExitDeviceFailed, std::string("the device was disconnected while ") + step +
                               " (it hung up, or its adapter was unplugged)");
}

void PortFlow::Observe(LinkTraffic traffic, std::string_view bytes) {
    if (plan_.trace) plan_.trace->Write(outcome_.port, traffic, bytes);
    if (!collectLines_ || traffic != LinkTraffic::Answer) return;
    if (auto line = Trimmed(bytes); !line.empty()) outcome_.lines.push_back(std::move(line));
}

void PortFlow::MarkInterrupted() {
    outcome_.status = InterruptedStatus(control_.Signal());
    outcome_.message = "interrupted";
}

}  // namespace q470
