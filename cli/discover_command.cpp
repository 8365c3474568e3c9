#include "discover_command.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "discover_report.h"
#include "enumerate_serial_ports.h"
#include "exit_status.h"
#include "json_report.h"
#include "line_choices.h"
#include "port_discovery.h"
#include "report_writer.h"
#include "terminal_text.h"
#include "trace_problem.h"

namespace q470 {
namespace {

// How often the run looks at the stop request while the ports are searched.
constexpr std::chrono::milliseconds kStopPoll{20};

// With -p every port must have a modem and the worst port decides; without, one modem anywhere is
// enough.
RunSummary Summarise(const std::vector<PortOutcome>& records, bool portsGiven, int signal) {
    RunSummary run;
    if (signal != 0) {
        run.exitStatus = InterruptedStatus(signal);
        run.outcome = Outcome::Interrupted;
        return run;
    }
    if (!portsGiven) {
        const bool any =
            std::any_of(records.begin(), records.end(), [](const PortOutcome& record) { return record.identified; });
        run.outcome = any ? Outcome::Ok : Outcome::NoAnswer;
        run.exitStatus = OutcomeStatus(run.outcome);
        return run;
    }
    for (const auto& record : records) run.exitStatus = WorseExitStatus(run.exitStatus, record.status);
    for (const auto& record : records) {
        if (record.status == run.exitStatus) {
            run.outcome = record.outcome;
            break;
        }
    }
    return run;
}

// Runs the search on a thread of its own, so that this one can watch for a stop meanwhile.
std::vector<PortDiscovery> Search(const std::vector<std::string>& ports, const DiscoveryOptions& options,
                                  const CliEnvironment& environment,
                                  const std::function<void(const std::string&, const ConnectionLine&)>& trying,
                                  int& signal) {
    DiscoveryStop stop;
    std::vector<PortDiscovery> results;
    std::atomic<bool> done{false};
    std::thread searcher([&] {
        results = DiscoverPorts(
            ports, options, &stop,
            [&](const std::string& port, const ConnectionLine& line, std::size_t, std::size_t) { trying(port, line); });
        done = true;
    });
    while (!done) {
        std::this_thread::sleep_for(kStopPoll);
        if (signal == 0 && environment.stop && environment.stop->Signal() != 0) {
            signal = environment.stop->Signal();
            stop.Stop();
        }
    }
    searcher.join();
    return results;
}

}  // namespace

int RunDiscover(const CommandPlan& plan, const std::vector<std::string>& givenPorts, bool portsGiven, std::ostream& out,
                std::ostream& err, const CliEnvironment& environment) {
    const ReportWriter report(plan.request, plan.text);
    std::vector<std::string> ports = givenPorts;
    if (!portsGiven) {
        std::vector<SerialPortEntry> entries;
        if (const auto error = EnumerateSerialPorts(entries)) {
            RunSummary run;
            run.outcome = Outcome::PortFailed;
            run.exitStatus = OutcomeStatus(run.outcome);
            run.message = plan.text.Text(ToolText::CannotListPorts, {error.message()});
            report.WriteRunFailure(run, {}, out, err);
            return run.exitStatus;
        }
        for (const auto& entry : entries) ports.push_back(entry.portName);
    }
    DiscoveryOptions options;
    options.thorough = plan.request.thorough;
    if (plan.trace) {
        TraceWriter* trace = plan.trace;
        options.observer = [trace](const std::string& port, LinkTraffic traffic, std::string_view bytes,
                                   std::chrono::steady_clock::time_point when) {
            trace->Write(port, traffic, bytes, when);
        };
    }
    ProgressReporter progress(err, environment.progress, ports.size() > 1);
    int signal = 0;
    const CliText& text = plan.text;
    const std::vector<PortDiscovery> results = Search(
        ports, options, environment,
        [&](const std::string& port, const ConnectionLine& line) {
            progress.Step(port,
                          text.Text(ToolText::ProgressLine, {text.Text(ToolText::DiscoverTrying, {LineText(line)})}));
        },
        signal);

    std::vector<PortOutcome> records;
    for (const auto& result : results) records.push_back(DiscoveryRecord(result, portsGiven, text));
    RunSummary run = Summarise(records, portsGiven, signal);
    run.traceProblem = TraceProblem(plan.trace, plan.request, text);
    if (plan.request.json) {
        out << JsonReport(plan.request, text).Document(run, records);
    } else {
        WriteDiscoveryTable(records, text, out);
    }
    out.flush();
    if (ports.empty()) err << "q470ctl: " << text.Text(ToolText::DiscoverNoPortListed) << '\n';
    for (const auto& record : records) {
        if (!record.message.empty() && (record.status != ExitOk || portsGiven))
            err << "q470ctl: " << PrintableText(record.port) << ": " << TerminalText(record.message) << '\n';
    }
    const bool portSaidIt = std::any_of(records.begin(), records.end(), [](const PortOutcome& record) {
        return record.outcome == Outcome::Interrupted;
    });
    if (run.outcome == Outcome::Interrupted && !portSaidIt)
        err << "q470ctl: " << text.Text(ToolText::Interrupted) << '\n';
    if (!run.traceProblem.empty()) {
        err << "q470ctl: " << text.Catalog().Text(UiText::WarningPrefix) << PrintableText(run.traceProblem) << '\n';
    }
    return run.exitStatus;
}

}  // namespace q470
