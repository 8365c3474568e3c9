#include "port_discovery.h"

#include <algorithm>
#include <thread>

#include "line_choices.h"

namespace q470 {
namespace {

using Clock = std::chrono::steady_clock;

// Holds the link attached to the stop for as long as the search of one port runs.
class AttachedLink {
public:
    AttachedLink(Q470Comm& link, DiscoveryStop* stop) : link_(link), stop_(stop) {
        attached_ = !stop_ || stop_->Attach(link_);
    }
    ~AttachedLink() {
        link_.Close();
        if (stop_ && attached_) stop_->Detach(link_);
    }
    AttachedLink(const AttachedLink&) = delete;
    AttachedLink& operator=(const AttachedLink&) = delete;

    bool Attached() const { return attached_; }
    bool Stopped() const { return stop_ && stop_->Stopped(); }

private:
    Q470Comm& link_;
    DiscoveryStop* stop_;
    bool attached_ = false;
};

void Identify(Q470Comm& link, PortDiscovery& result) {
    switch (ReadIdentity(link, result.line->baudRate, result.identity)) {
        case IdentityOutcome::Read:
            result.outcome = DiscoveryOutcome::Found;
            return;
        case IdentityOutcome::UnknownModel:
        case IdentityOutcome::NoAnswer:
            result.outcome = DiscoveryOutcome::Unidentified;
            return;
    }
}

// The port is there and open to us, but not at this line setting: the driver refuses the setting.
bool LineNotTaken(const std::error_code& error) {
    return error == std::errc::invalid_argument || error == std::errc::operation_not_supported ||
           error == std::errc::not_supported;
}

// False when the search of this port ends here (stopped, or the port cannot be had), with `result` saying so.
bool SetLine(Q470Comm& link, const AttachedLink& attached, const std::string& port, const ConnectionLine& line,
             std::error_code& lastRefusal, PortDiscovery& result) {
    // The port is opened once and kept: nobody else can take it between two settings.
    const std::error_code error = link.IsOpen()
                                      ? link.ChangeLine(line.baudRate, line.dataBits, line.parity, line.stopBits)
                                      : link.Open(port, line.baudRate, line.dataBits, line.parity, line.stopBits);
    if (!error) return true;
    if (attached.Stopped()) {
        result.outcome = DiscoveryOutcome::Stopped;  // the stop closed the port under the change
        return false;
    }
    if (LineNotTaken(error)) {
        result.linesSkipped.push_back(line);
        lastRefusal = error;
        return true;
    }
    result.openError = error;
    result.outcome =
        error == std::errc::device_or_resource_busy ? DiscoveryOutcome::Busy : DiscoveryOutcome::CannotOpen;
    return false;
}

void Search(Q470Comm& link, const AttachedLink& attached, const std::string& port, const DiscoveryOptions& options,
            const DiscoveryProgress& progress, PortDiscovery& result) {
    const std::vector<ConnectionLine> lines = SearchLines(options.thorough);
    std::error_code lastRefusal;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const ConnectionLine& line = lines[i];
        if (attached.Stopped()) {
            result.outcome = DiscoveryOutcome::Stopped;
            return;
        }
        if (progress) progress(port, line, i, lines.size());
        const std::size_t skipped = result.linesSkipped.size();
        if (!SetLine(link, attached, port, line, lastRefusal, result)) return;
        if (result.linesSkipped.size() != skipped) continue;
        ++result.settingsTried;
        const auto quiet = ProbeQuietMode(link, ProbeWait(line));
        if (attached.Stopped()) {
            result.outcome = DiscoveryOutcome::Stopped;
            return;
        }
        if (quiet) {
            result.line = line;
            result.identity.quietMode = *quiet;
            Identify(link, result);
            if (attached.Stopped() && result.outcome != DiscoveryOutcome::Found)
                result.outcome = DiscoveryOutcome::Stopped;
            return;
        }
    }
    // Not a single setting taken: the port is no serial port the search can use.
    if (result.settingsTried == 0 && lastRefusal) {
        result.openError = lastRefusal;
        result.outcome = DiscoveryOutcome::CannotOpen;
        return;
    }
    result.outcome = DiscoveryOutcome::NoDevice;
}

}  // namespace

void DiscoveryStop::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    for (Q470Comm* link : links_) link->Close();
}

bool DiscoveryStop::Attach(Q470Comm& link) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopped_) return false;
    links_.push_back(&link);
    return true;
}

void DiscoveryStop::Detach(Q470Comm& link) {
    std::lock_guard<std::mutex> lock(mutex_);
    links_.erase(std::remove(links_.begin(), links_.end(), &link), links_.end());
}

PortDiscovery DiscoverPort(const std::string& port, const DiscoveryOptions& options, DiscoveryStop* stop,
                           const DiscoveryProgress& progress) {
    const auto start = Clock::now();
    PortDiscovery result;
    result.port = port;
    {
        Q470Comm link;
        if (options.observer) {
            link.SetObserver([&](LinkTraffic traffic, std::string_view bytes, Clock::time_point when) {
                options.observer(port, traffic, bytes, when);
            });
        }
        const AttachedLink attached(link, stop);
        if (attached.Attached()) {
            Search(link, attached, port, options, progress, result);
        } else {
            result.outcome = DiscoveryOutcome::Stopped;
        }
    }
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    return result;
}

std::vector<PortDiscovery> DiscoverPorts(const std::vector<std::string>& ports, const DiscoveryOptions& options,
                                         DiscoveryStop* stop, const DiscoveryProgress& progress) {
    std::vector<PortDiscovery> results(ports.size());
    std::vector<std::thread> threads;
    threads.reserve(ports.size());
    for (std::size_t i = 0; i < ports.size(); ++i) {
        threads.emplace_back([&, i] { results[i] = DiscoverPort(ports[i], options, stop, progress); });
    }
    for (auto& thread : threads) thread.join();
    return results;
}

const char* DiscoveryOutcomeName(DiscoveryOutcome outcome) {
    switch (outcome) {
        case DiscoveryOutcome::Found:
            return "found";
        case DiscoveryOutcome::NoDevice:
            return "noDevice";
        case DiscoveryOutcome::Busy:
            return "busy";
        case DiscoveryOutcome::CannotOpen:
            return "cannotOpen";
        case DiscoveryOutcome::Unidentified:
            return "unidentified";
        case DiscoveryOutcome::Stopped:
            return "stopped";
    }
    return "";
}

}  // namespace q470
