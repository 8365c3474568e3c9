#include "station_command.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "config_input.h"
#include "config_load_text.h"
#include "default_log_path.h"
#include "exit_status.h"
#include "json_report.h"
#include "model_kind.h"
#include "open_station_log.h"
#include "port_watch.h"
#include "profile_check.h"
#include "profile_digest.h"
#include "report_writer.h"
#include "session_unit_runner.h"
#include "setting_check.h"
#include "station.h"
#include "station_identity.h"
#include "station_printer.h"
#include "terminal_text.h"

#ifndef Q470_VERSION_TEXT
#define Q470_VERSION_TEXT "1.5.0"
#endif

namespace q470 {
namespace {

// How often the station's waiting thread looks at the stop request, and redraws a terminal's lines.
constexpr std::chrono::milliseconds kStopPoll{50};
constexpr std::chrono::milliseconds kRedraw{1000};

int EndBeforeStart(const CommandPlan& plan, RunSummary run, const std::string& subject, std::ostream& out,
                   std::ostream& err) {
    if (run.exitStatus == ExitOk) run.exitStatus = OutcomeStatus(run.outcome);
    ReportWriter(plan.request, plan.text).WriteRunFailure(run, subject, out, err);
    return run.exitStatus;
}

int EndBeforeStart(const CommandPlan& plan, Outcome outcome, std::string message, std::ostream& out,
                   std::ostream& err) {
    RunSummary run;
    run.outcome = outcome;
    run.message = std::move(message);
    return EndBeforeStart(plan, std::move(run), {}, out, err);
}

bool Stopped(const StopRequest* stop) {
    return stop != nullptr && stop->Signal() != 0;
}

// The profile, read once and checked whole against its own model before any unit is touched.
int ReadProfile(CommandPlan& plan, const CliEnvironment& environment, CheckedProfile& profile, std::ostream& out,
                std::ostream& err) {
    const std::string& file = plan.request.arguments.front();
    ConfigLoadOutcome outcome;
    switch (ConfigInput::Read(file, environment.stop, plan.fileBytes, outcome.failure)) {
        case ConfigInput::Result::Stopped: {
            RunSummary run;
            run.outcome = Outcome::Interrupted;
            run.exitStatus = InterruptedStatus(environment.stop->Signal());
            run.message = plan.text.Text(ToolText::Interrupted);
            return EndBeforeStart(plan, std::move(run), {}, out, err);
        }
        case ConfigInput::Result::Failed:
            outcome.status = ConfigLoadStatus::FileUnreadable;
            break;
        case ConfigInput::Result::Read: {
            const LineOptions& line = plan.request.line;
            profile = CheckProfile(plan.fileBytes, {line.baudRate, line.dataBits, line.parity, line.stopBits});
            if (profile.Loaded()) return ExitOk;
            outcome = profile.outcome;
            break;
        }
    }
    RunSummary run;
    run.outcome = FileLoadOutcome(outcome.status);
    run.message = ConfigLoadHeadline(outcome, plan.text);
    run.details = ConfigLoadDetails(outcome, outcome.fileModelKind, plan.text);
    run.problems = outcome.problems;
    return EndBeforeStart(plan, std::move(run), file, out, err);
}

std::string FileName(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    return name.empty() ? path : name;
}

StationPrinter::Form FormFor(const CliRequest& request, const CliEnvironment& environment) {
    if (request.json) return StationPrinter::Form::Json;
    return environment.outputTerminal ? StationPrinter::Form::Terminal : StationPrinter::Form::Lines;
}

}  // namespace

int RunStationCommand(CommandPlan& plan, std::ostream& out, std::ostream& err, const CliEnvironment& environment) {
    const CliRequest& request = plan.request;
    CheckedProfile profile;
    if (const int status = ReadProfile(plan, environment, profile, out, err); status != ExitOk) return status;

    const std::string where = request.logFile ? *request.logFile : DefaultLogPath();
    if (where.empty()) return EndBeforeStart(plan, Outcome::Usage, plan.text.Text(ToolText::NoLogFolder), out, err);
    const std::optional<std::string> stationName = StationName(request.stationName.value_or(""));
    if (!stationName) {
        return EndBeforeStart(
            plan, Outcome::Usage,
            plan.text.Text(ToolText::StationNameUnreadable, {PrintableText(request.stationName.value_or(""))}), out,
            err);
    }
    // A database's password is never shown: the record is named by its masked form everywhere.
    const std::string shown = PrintableText(MaskedTarget(where));
    LogError logError;
    const std::unique_ptr<StationLog> log =
        OpenStationLog(where, CurrentStation(*stationName), LogAccess::ReadWrite, logError);
    if (!log) {
        switch (logError.kind) {
            case LogError::Kind::PasswordGiven:
                return EndBeforeStart(plan, Outcome::Usage, plan.text.Text(ToolText::LogHoldsPassword, {shown}), out,
                                      err);
            case LogError::Kind::Unsupported:
                return EndBeforeStart(plan, Outcome::Usage, plan.text.Text(ToolText::LogNoDatabase, {shown}), out, err);
            default:
                return EndBeforeStart(plan, Outcome::FileNotWritten,
                                      plan.text.Text(ToolText::StationCannotWriteLog, {shown, logError.detail}), out,
                                      err);
        }
    }

    // Each unit gets the profile, checked after the restart unless --no-verify.
    SessionUnitRunner runner(plan.fileBytes, profile.model, profile.lines, !request.noVerify);

    StationOptions options;
    options.profile = {FileName(request.arguments.front()), Sha256Hex(plan.fileBytes)};
    options.toolVersion = Q470_VERSION_TEXT;
    options.again = request.again;
    options.retries = request.retries;
    options.once = request.once;
    options.units = request.units;
    options.onPass = request.onPass.value_or("");
    options.onFail = request.onFail.value_or("");

    const std::unique_ptr<PortWatch> watch = MakePortWatch(request.ports);
    StationPrinter printer(out, FormFor(request, environment), plan.text);
    Station station(*log, runner, *watch, options, [&printer](const StationEvent& event) { printer.Print(event); });
    const Station::StartResult started = station.Start();
    if (!started.started) {
        if (started.log.kind != LogError::Kind::None) {
            return EndBeforeStart(plan, Outcome::FileNotWritten,
                                  plan.text.Text(ToolText::StationCannotWriteLog, {shown, started.log.detail}), out,
                                  err);
        }
        return EndBeforeStart(plan, Outcome::PortFailed,
                              plan.text.Text(ToolText::StationCannotWatch, {started.watch.message()}), out, err);
    }
    if (!request.json) {
        std::string ports;
        for (const auto& port : request.ports) ports += (ports.empty() ? "" : ", ") + PrintableText(port);
        if (ports.empty()) ports = plan.text.Text(ToolText::StationEveryUsbPort);
        err << "q470ctl: "
            << plan.text.Text(ToolText::StationStarted,
                              {PrintableText(*stationName), PrintableText(options.profile.name),
                               ModelName(profile.model), shown, ports})
            << std::endl;
    }

    bool stopping = false;
    auto redrawn = std::chrono::steady_clock::now();
    while (!station.WaitFor(kStopPoll)) {
        if (!stopping && Stopped(environment.stop)) {
            stopping = true;
            if (!request.json) err << "q470ctl: " << plan.text.Text(ToolText::StationStopping) << std::endl;
            station.Stop();
        }
        if (stopping && environment.stop->Urgent()) runner.StopAtOnce();
        if (std::chrono::steady_clock::now() - redrawn >= kRedraw) {
            printer.Tick();
            redrawn = std::chrono::steady_clock::now();
        }
    }
    const StationCounts counts = station.Counts();
    if (Stopped(environment.stop)) return InterruptedStatus(environment.stop->Signal());
    return counts.failed > 0 || counts.interrupted > 0 ? ExitDeviceFailed : ExitOk;
}

}  // namespace q470
