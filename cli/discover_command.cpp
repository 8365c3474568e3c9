#include "discover_command.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "discover_report.h"
#include "enumerate_serial_ports.h"
#include "exit_status.h"
#include "line_choices.h"
#include "port_discovery.h"

namespace q470 {
namespace {

// How often the run looks at the stop request while the ports are searched.
constexpr std::chrono::milliseconds kStopPoll{20};

int StatusOf(const PortDiscovery& result) {
    switch (result.outcome) {
        case DiscoveryOutcome::Found:
            return ExitOk;
        case DiscoveryOutcome::Busy:
        case DiscoveryOutcome::CannotOpen:
            return ExitPortFailed;
        default:
            return ExitDeviceFailed;
    }
}

int ExitStatusOf(const std::vector<PortDiscovery>& results, bool portsGiven) {
    if (portsGiven) {
        int status = ExitOk;
        for (const auto& result : results) status = WorseExitStatus(status, StatusOf(result));
        return status;
    }
    for (const auto& result : results) {
        if (result.outcome == DiscoveryOutcome::Found) return ExitOk;
    }
    return ExitDeviceFailed;
}

// Runs the search on a thread of its own, so that this one can watch for a stop meanwhile.
std::vector<PortDiscovery> Search(const std::vector<std::string>& ports, const DiscoveryOptions& options,
                                  const CliEnvironment& environment, ProgressReporter& progress, int& signal) {
    DiscoveryStop stop;
    std::vector<PortDiscovery> results;
    std::atomic<bool> done{false};
    std::thread searcher([&] {
        results = DiscoverPorts(ports, options, &stop, [&](const std::string& port, const ConnectionLine& line,
                                                           std::size_t, std::size_t) {
            progress.Step(port, "trying " + LineText(line));
        });
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

int RunDiscover(const CommandPlan& plan, const std::vector<std::string>& givenPorts, bool portsGiven,
                std::ostream& out, std::ostream& err, const CliEnvironment& environment) {
    std::vector<std::string> ports = givenPorts;
    if (!portsGiven) {
        std::vector<SerialPortEntry> entries;
        if (const auto error = EnumerateSerialPorts(entries)) {
            err << "q470ctl: cannot list the serial ports: " << error.message() << '\n';
            return ExitPortFailed;
        }
        for (const auto& entry : entries) ports.push_back(entry.portName);
    }
    DiscoveryOptions options;
    options.thorough = plan.request.thorough;
    if (plan.trace) {
        TraceWriter* trace = plan.trace;
        options.observer = [trace](const std::string& port, LinkTraffic traffic, std::string_view bytes) {
            trace->Write(port, traffic, bytes);
        };
    }
    ProgressReporter progress(err, environment.progress, ports.size() > 1);
    int signal = 0;
    const std::vector<PortDiscovery> results = Search(ports, options, environment, progress, signal);

    const int status = signal != 0 ? InterruptedStatus(signal) : ExitStatusOf(results, portsGiven);
    WriteDiscoveryReport(results, plan.request.json, status, out);
    if (ports.empty()) err << "q470ctl: discover: no serial port is listed on this machine\n";
    for (const auto& result : results) {
        // Without -p a port without a modem is no fault, only one that is given.
        const bool found = result.outcome == DiscoveryOutcome::Found;
        if (found || (!portsGiven && result.outcome == DiscoveryOutcome::NoDevice)) continue;
        const std::string problem = DiscoveryProblem(result, plan.text);
        if (!problem.empty()) err << "q470ctl: " << result.port << ": " << problem << '\n';
    }
    return status;
}

}  // namespace q470
