#include "q470ctl.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "command_line.h"
#include "config_document.h"
#include "config_exchange.h"
#ifndef _WIN32
#include "console_session.h"
#endif
#include "config_input.h"
#include "config_load_text.h"
#include "discover_command.h"
#include "enumerate_serial_ports.h"
#include "exit_status.h"
#include "log_command.h"
#include "model_kind.h"
#include "modem_manager.h"
#include "outcome.h"
#include "output_target.h"
#include "port_flow.h"
#include "port_list_report.h"
#include "raw_command.h"
#include "report_writer.h"
#include "save_file_name.h"
#include "simulated_port.h"
#include "station_command.h"
#include "terminal_text.h"
#include "trace_problem.h"
#include "trace_writer.h"

#ifndef Q470_VERSION_TEXT
#define Q470_VERSION_TEXT "1.5.0"
#endif

namespace q470 {
namespace {

// How often the run looks at the stop request while the ports work.
constexpr std::chrono::milliseconds kStopPoll{20};

bool Stopped(const StopRequest* stop) {
    return stop != nullptr && stop->Signal() != 0;
}

// The end of a run before any port was opened: the message, and the JSON document with --json.
int EndBeforePorts(const CommandPlan& plan, RunSummary run, const std::string& subject, std::ostream& out,
                   std::ostream& err) {
    if (run.exitStatus == ExitOk) run.exitStatus = OutcomeStatus(run.outcome);
    ReportWriter(plan.request, plan.text).WriteRunFailure(run, subject, out, err);
    return run.exitStatus;
}

int EndBeforePorts(const CommandPlan& plan, Outcome outcome, std::string message, std::ostream& out,
                   std::ostream& err) {
    RunSummary run;
    run.outcome = outcome;
    run.message = std::move(message);
    return EndBeforePorts(plan, std::move(run), {}, out, err);
}

int Interrupted(const CommandPlan& plan, int signal, std::ostream& out, std::ostream& err) {
    RunSummary run;
    run.outcome = Outcome::Interrupted;
    run.exitStatus = InterruptedStatus(signal);
    run.message = plan.text.Text(ToolText::Interrupted);
    return EndBeforePorts(plan, std::move(run), {}, out, err);
}

int ListPorts(const CommandPlan& plan, std::ostream& out, std::ostream& err) {
    std::vector<SerialPortEntry> entries;
    if (const auto error = EnumerateSerialPorts(entries)) {
        return EndBeforePorts(plan, Outcome::PortFailed, plan.text.Text(ToolText::CannotListPorts, {error.message()}),
                              out, err);
    }
    const bool modemManager = ModemManagerRunning();
    std::vector<PortOutcome> ports;
    for (const auto& described : DescribePorts(entries)) {
        PortOutcome port;
        port.port = described.port;
        port.description = described.description;
        port.modemManagerRunning = modemManager;
        ports.push_back(std::move(port));
    }
    ReportWriter(plan.request, plan.text).Write(RunSummary{}, ports, out, err);
    if (modemManager) err << "q470ctl: " << plan.text.Text(ToolText::ModemManagerRunning) << '\n';
    return ExitOk;
}

// The file is read once, here, and the same bytes go to every port. Whatever can be wrong with it
// regardless of the device is found before any port is opened: it is checked against its own model.
// The model check and the channel plan wait for the device's read.
int ReadFileFirst(CommandPlan& plan, const CliEnvironment& environment, std::ostream& out, std::ostream& err) {
    const std::string& file = plan.request.arguments.front();
    ConfigLoadOutcome outcome;
    switch (ConfigInput::Read(file, environment.stop, plan.fileBytes, outcome.failure)) {
        case ConfigInput::Result::Stopped:
            return Interrupted(plan, environment.stop->Signal(), out, err);
        case ConfigInput::Result::Failed:
            outcome.status = ConfigLoadStatus::FileUnreadable;
            break;
        case ConfigInput::Result::Read: {
            ConfigDocument document;
            SettingItemList items;
            outcome = LoadConfigBytesForModel(plan.fileBytes, ConfigTarget{}, document, items);
            if (outcome.status == ConfigLoadStatus::Loaded) return ExitOk;
            break;
        }
    }
    RunSummary run;
    run.outcome = FileLoadOutcome(outcome.status);
    run.message = ConfigLoadHeadline(outcome, plan.text);
    run.details = ConfigLoadDetails(outcome, outcome.fileModelKind, plan.text);
    run.problems = outcome.problems;
    return EndBeforePorts(plan, std::move(run), file, out, err);
}

// A file the run is to write must not go into one of its own serial ports, into another terminal, or
// into a descriptor the tool was not given: checked before anything is opened, so that a descriptor the
// tool opens itself cannot pass for one it was given.
int CheckOutputTarget(const CommandPlan& plan, const std::string& argument, const std::vector<std::string>& ports,
                      std::ostream& out, std::ostream& err) {
    const auto refusal = RefusedTarget(argument, ports);
    if (!refusal) return ExitOk;
    return EndBeforePorts(plan, Outcome::FileNotWritten, TargetRefusalText(*refusal, argument, plan.text), out, err);
}

// Every port's own file, none of them the same as another's or where no file may go. With --sim the
// port's name is known only once the device runs; its file is checked when it is written.
int CheckSaveTargets(const CommandPlan& plan, std::ostream& out, std::ostream& err) {
    const std::string& file = plan.request.arguments.front();
    const std::vector<std::string>& ports = plan.request.ports;
    if (const auto clash = FindSaveFileClash(file, ports)) {
        const std::string message =
            plan.text.Text(ToolText::SaveFileClash,
                           {PrintableText(clash->first), PrintableText(clash->second), PrintableText(clash->file)});
        return EndBeforePorts(plan, Outcome::Usage, message, out, err);
    }
    if (ports.empty()) return CheckOutputTarget(plan, file, ports, out, err);
    for (const auto& port : ports) {
        if (const int status = CheckOutputTarget(plan, FileForPort(file, port), ports, out, err); status != ExitOk)
            return status;
    }
    return ExitOk;
}

// Turns the command's words into what the port threads need; a usage or file status when they are wrong.
int Prepare(CommandPlan& plan, const CliEnvironment& environment, std::ostream& out, std::ostream& err) {
    const CliRequest& request = plan.request;
    if (request.traceFile) {
        if (const int status = CheckOutputTarget(plan, *request.traceFile, request.ports, out, err); status != ExitOk)
            return status;
    }
    std::string error;
    switch (request.command) {
        case CliCommand::Set:
            plan.general = GeneralChanges::Parse(request.arguments, plan.text, error);
            if (!plan.general) return EndBeforePorts(plan, Outcome::Usage, error, out, err);
            return ExitOk;
        case CliCommand::Gpio:
            plan.gpio = GpioChanges::Parse(request.arguments, request.interval, request.sendToPeer, plan.text, error);
            if (!plan.gpio) return EndBeforePorts(plan, Outcome::Usage, error, out, err);
            return ExitOk;
        case CliCommand::At:
            error = CheckCommandText(request.arguments.front(), plan.text);
            if (!error.empty()) return EndBeforePorts(plan, Outcome::Usage, "at: " + error, out, err);
            return ExitOk;
        case CliCommand::Apply:
            return ReadFileFirst(plan, environment, out, err);
        case CliCommand::Save:
            return CheckSaveTargets(plan, out, err);
        default:
            return ExitOk;
    }
}

// Runs the command on every port at once, each on its own thread, and watches for a stop meanwhile.
std::vector<PortOutcome> RunPorts(const CommandPlan& plan, const std::vector<std::string>& ports, RunControl& control,
                                  ProgressReporter& progress, std::ostream& err) {
    std::vector<PortOutcome> outcomes(ports.size());
    std::mutex mutex;
    std::condition_variable finished;
    std::size_t done = 0;
    std::vector<std::thread> threads;
    threads.reserve(ports.size());
    for (std::size_t i = 0; i < ports.size(); ++i) {
        threads.emplace_back([&, i] {
            PortOutcome outcome = PortFlow(plan, ports[i], control, progress).Run();
            std::lock_guard<std::mutex> lock(mutex);
            outcomes[i] = std::move(outcome);
            ++done;
            finished.notify_all();
        });
    }
    {
        bool noted = false;
        std::unique_lock<std::mutex> lock(mutex);
        while (!finished.wait_for(lock, kStopPoll, [&] { return done == ports.size(); })) {
            lock.unlock();
            control.PollStop();
            // The stop takes a moment longer: say why, and how not to wait.
            if (!noted && control.RestoringQuietMode()) {
                err << "q470ctl: " << plan.text.Text(ToolText::StopRestoresQuietMode) << std::endl;
                noted = true;
            }
            lock.lock();
        }
    }
    for (auto& thread : threads) thread.join();
    return outcomes;
}

int RunConsole(const CommandPlan& plan, const std::string& port, std::ostream& out, std::ostream& err,
               const CliEnvironment& environment) {
#ifdef _WIN32
    (void)port;
    (void)environment;
    return EndBeforePorts(plan, Outcome::Usage, plan.text.Text(ToolText::ConsoleNotOnWindows), out, err);
#else
    (void)out;
    const auto input = ConsoleInput::ForDescriptor(environment.input, environment.stop);
    return ConsoleSession(plan, port, environment.stop).Run(*input, err);
#endif
}

// The run's status is the worst of its ports'; its outcome word is that port's.
RunSummary Summarise(const std::vector<PortOutcome>& outcomes, const RunControl& control) {
    RunSummary run;
    for (const auto& outcome : outcomes) run.exitStatus = WorseExitStatus(run.exitStatus, outcome.status);
    for (const auto& outcome : outcomes) {
        if (outcome.status == run.exitStatus) {
            run.outcome = outcome.outcome;
            break;
        }
    }
    if (control.Stopping()) {
        run.exitStatus = InterruptedStatus(control.Signal());
        run.outcome = Outcome::Interrupted;
    }
    return run;
}

int RunDeviceCommand(CommandPlan& plan, std::ostream& out, std::ostream& err, const CliEnvironment& environment) {
    std::unique_ptr<SimulatedPort> simulated;
    std::vector<std::string> ports = plan.request.ports;
    if (plan.request.simModel) {
        simulated = std::make_unique<SimulatedPort>(plan.request);
        std::string error;
        if (!simulated->Start(error)) {
            return EndBeforePorts(plan, Outcome::PortFailed, plan.text.Text(ToolText::CannotStartSim, {error}), out,
                                  err);
        }
        ports = {simulated->Port()};
    }
    std::unique_ptr<TraceWriter> trace;
    if (const auto& file = plan.request.traceFile) {
        // The simulated device's port exists only now.
        if (const int status = CheckOutputTarget(plan, *file, ports, out, err); status != ExitOk) return status;
        const StopRequest* stop = environment.stop;
        trace = std::make_unique<TraceWriter>(*file, ports.size() != 1, [stop] { return Stopped(stop); });
        if (Stopped(stop)) return Interrupted(plan, stop->Signal(), out, err);
        if (!trace->Opened()) {
            const std::string why = trace->OpenError().message();
            return EndBeforePorts(plan, Outcome::FileNotWritten,
                                  plan.text.Text(ToolText::CannotOpenTraceFile, {PrintableText(*file), why}), out, err);
        }
    } else if (plan.request.trace) {
        trace = std::make_unique<TraceWriter>(err, ports.size() != 1);
    }
    plan.trace = trace.get();
    if (plan.request.command == CliCommand::Discover) {
        const bool given = !plan.request.ports.empty() || plan.request.simModel.has_value();
        return RunDiscover(plan, ports, given, out, err, environment);
    }
    if (plan.request.command == CliCommand::Console) return RunConsole(plan, ports.front(), out, err, environment);
    RunControl control(environment.stop);
    ProgressReporter progress(err, environment.progress, ports.size() > 1);
    const std::vector<PortOutcome> outcomes = RunPorts(plan, ports, control, progress, err);
    RunSummary run = Summarise(outcomes, control);
    run.traceProblem = TraceProblem(plan.trace, plan.request, plan.text);
    ReportWriter(plan.request, plan.text).Write(run, outcomes, out, err);
    return run.exitStatus;
}

// --json anywhere on the command line, even one that is wrong: its error is a document too.
bool AsksForJson(const std::vector<std::string>& args) {
    return std::find(args.begin(), args.end(), "--json") != args.end();
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliEnvironment& environment) {
    CommandPlan plan;
    plan.text = CliText::FromEnvironment();
    if (environment.linkFolders) plan.linkFolders = *environment.linkFolders;
    const CommandLine commandLine(args, plan.text);
    plan.request = commandLine.Request();
    switch (commandLine.Result()) {
        case CommandLine::Outcome::Help:
            out << CommandLine::Usage(plan.text);
            return ExitOk;
        case CommandLine::Outcome::Version:
            out << "q470ctl " << Q470_VERSION_TEXT << '\n';
            return ExitOk;
        case CommandLine::Outcome::UsageError:
            plan.request.json = AsksForJson(args);
            return EndBeforePorts(plan, Outcome::Usage, commandLine.Error(), out, err);
        case CommandLine::Outcome::Run:
            break;
    }
    if (plan.request.command == CliCommand::Ports) return ListPorts(plan, out, err);
    if (plan.request.command == CliCommand::Log) return RunLogCommand(plan.request, plan.text, out, err);
    if (plan.request.command == CliCommand::Station) return RunStationCommand(plan, out, err, environment);
    if (plan.request.simModel && !SimulatedPort::Available())
        return EndBeforePorts(plan, Outcome::Usage, plan.text.Text(ToolText::SimUnavailable), out, err);
    if (const int status = Prepare(plan, environment, out, err); status != ExitOk) return status;
    return RunDeviceCommand(plan, out, err, environment);
}

}  // namespace q470
