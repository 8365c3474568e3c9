#include "q470ctl.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "argument_path.h"
#include "command_line.h"
#include "config_document.h"
#include "config_exchange.h"
#ifndef _WIN32
#include "console_session.h"
#endif
#include "config_load_text.h"
#include "discover_command.h"
#include "enumerate_serial_ports.h"
#include "exit_status.h"
#include "model_kind.h"
#include "port_flow.h"
#include "port_list_report.h"
#include "raw_command.h"
#include "report_writer.h"
#include "simulated_port.h"
#include "trace_writer.h"

#ifndef Q470_VERSION_TEXT
#define Q470_VERSION_TEXT "1.5.0"
#endif

namespace q470 {
namespace {

// How often the run looks at the stop request while the ports work.
constexpr std::chrono::milliseconds kStopPoll{20};

int UsageError(std::ostream& err, const std::string& message) {
    err << "q470ctl: " << message << "\nTry 'q470ctl --help'.\n";
    return ExitUsage;
}

int ListPorts(const CliRequest& request, std::ostream& out, std::ostream& err) {
    std::vector<SerialPortEntry> entries;
    if (const auto error = EnumerateSerialPorts(entries)) {
        err << "q470ctl: cannot list the serial ports: " << error.message() << '\n';
        return ExitPortFailed;
    }
    WritePortList(DescribePorts(entries), request.json, out);
    return ExitOk;
}

// The file is the same for every port, so whatever can be wrong with it regardless of the device is
// found before any port is opened: it is checked against its own model. The model check and the
// channel plan wait for the device's read.
int CheckFileFirst(const CliRequest& request, const CliText& text, std::ostream& out, std::ostream& err) {
    ConfigDocument document;
    SettingItemList items;
    const auto outcome = LoadConfigForModel(PathFromArgument(request.arguments.front()), ConfigTarget{}, document, items);
    if (outcome.status == ConfigLoadStatus::Loaded) return ExitOk;
    const std::string message = ConfigLoadHeadline(outcome, text);
    const std::vector<std::string> details = ConfigLoadDetails(outcome, outcome.fileModelKind, text);
    err << "q470ctl: " << request.arguments.front() << ": " << message << '\n';
    for (const auto& line : details) err << "q470ctl: " << request.arguments.front() << ":   " << line << '\n';
    if (request.json) ReportWriter(request, text).WriteFileRefusal(message, details, outcome.problems, out);
    return ExitFileFailed;
}

// Turns the command's words into what the port threads need; a usage or file status when they are wrong.
int Prepare(CommandPlan& plan, std::ostream& out, std::ostream& err) {
    const CliRequest& request = plan.request;
    std::string error;
    switch (request.command) {
        case CliCommand::Set:
            plan.general = GeneralChanges::Parse(request.arguments, plan.text, error);
            if (!plan.general) return UsageError(err, error);
            return ExitOk;
        case CliCommand::Gpio:
            plan.gpio = GpioChanges::Parse(request.arguments, request.interval, request.sendToPeer, plan.text, error);
            if (!plan.gpio) return UsageError(err, error);
            return ExitOk;
        case CliCommand::At:
            error = CheckCommandText(request.arguments.front());
            if (!error.empty()) return UsageError(err, "at: " + error);
            return ExitOk;
        case CliCommand::Save: {
            const bool placeholder = request.arguments.front().find("{port}") != std::string::npos;
            if (request.ports.size() > 1 && !placeholder) {
                return UsageError(err,
                                  "save: with several ports the file name needs {port}, or every port would "
                                  "write the same file");
            }
            return ExitOk;
        }
        case CliCommand::Apply:
            return CheckFileFirst(request, plan.text, out, err);
        default:
            return ExitOk;
    }
}

// Runs the command on every port at once, each on its own thread, and watches for a stop meanwhile.
std::vector<PortOutcome> RunPorts(const CommandPlan& plan, const std::vector<std::string>& ports, RunControl& control,
                                  ProgressReporter& progress) {
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
        std::unique_lock<std::mutex> lock(mutex);
        while (!finished.wait_for(lock, kStopPoll, [&] { return done == ports.size(); })) {
            lock.unlock();
            control.PollStop();
            lock.lock();
        }
    }
    for (auto& thread : threads) thread.join();
    return outcomes;
}

int RunConsole(const CommandPlan& plan, const std::string& port, std::ostream& err, const CliEnvironment& environment) {
#ifdef _WIN32
    (void)plan;
    (void)port;
    (void)environment;
    return UsageError(err, "console is not available on Windows yet; use 'at' for one command at a time");
#else
    const auto input = ConsoleInput::ForDescriptor(environment.input);
    return ConsoleSession(plan, port, environment.stop).Run(*input, err);
#endif
}

int RunDeviceCommand(CommandPlan& plan, std::ostream& out, std::ostream& err, const CliEnvironment& environment) {
    std::unique_ptr<SimulatedPort> simulated;
    std::vector<std::string> ports = plan.request.ports;
    if (plan.request.simModel) {
        simulated = std::make_unique<SimulatedPort>(plan.request);
        std::string error;
        if (!simulated->Start(error)) {
            err << "q470ctl: cannot start the simulated device: " << error << '\n';
            return ExitPortFailed;
        }
        ports = {simulated->Port()};
    }
    std::unique_ptr<TraceWriter> trace;
    if (plan.request.traceFile) {
        trace = std::make_unique<TraceWriter>(*plan.request.traceFile, ports.size() != 1);
        if (!trace->Opened()) {
            err << "q470ctl: cannot open the trace file " << *plan.request.traceFile << ": "
                << std::error_code(errno, std::system_category()).message() << '\n';
            return ExitFileFailed;
        }
    } else if (plan.request.trace) {
        trace = std::make_unique<TraceWriter>(err, ports.size() != 1);
    }
    plan.trace = trace.get();
    if (plan.request.command == CliCommand::Discover) {
        const bool given = !plan.request.ports.empty() || plan.request.simModel.has_value();
        return RunDiscover(plan, ports, given, out, err, environment);
    }
    if (plan.request.command == CliCommand::Console) return RunConsole(plan, ports.front(), err, environment);
    RunControl control(environment.stop);
    ProgressReporter progress(err, environment.progress, ports.size() > 1);
    const std::vector<PortOutcome> outcomes = RunPorts(plan, ports, control, progress);
    ReportWriter(plan.request, plan.text).Write(outcomes, out, err);

    if (control.Stopping()) return InterruptedStatus(control.Signal());
    int status = ExitOk;
    for (const auto& outcome : outcomes) status = WorseExitStatus(status, outcome.status);
    return status;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliEnvironment& environment) {
    const CommandLine commandLine(args);
    switch (commandLine.Result()) {
        case CommandLine::Outcome::Help:
            out << CommandLine::Usage();
            return ExitOk;
        case CommandLine::Outcome::Version:
            out << "q470ctl " << Q470_VERSION_TEXT << '\n';
            return ExitOk;
        case CommandLine::Outcome::UsageError:
            return UsageError(err, commandLine.Error());
        case CommandLine::Outcome::Run:
            break;
    }
    CommandPlan plan;
    plan.request = commandLine.Request();
    plan.text = CliText::FromEnvironment();
    if (plan.request.command == CliCommand::Ports) return ListPorts(plan.request, out, err);
    if (plan.request.simModel && !SimulatedPort::Unavailable().empty())
        return UsageError(err, SimulatedPort::Unavailable());
    if (const int status = Prepare(plan, out, err); status != ExitOk) return status;
    return RunDeviceCommand(plan, out, err, environment);
}

}  // namespace q470
