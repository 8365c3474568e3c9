#include "device_return.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <thread>

#include "device_probe.h"
#include "line_choices.h"
#include "port_return_watch.h"

namespace q470 {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Between attempts to open a port that refused, and after a port went again before it answered.
constexpr milliseconds kReopenPause{50};
// How long each line after the first is tried: the device had the budget to come back at the first.
constexpr milliseconds kOtherLineBudget{1000};
// The watch is asked in slices, so a stop is seen while the device is away.
constexpr milliseconds kWatchSlice{100};

bool PortMissing(const std::error_code& error) {
    return error == std::errc::no_such_file_or_directory || error == std::errc::no_such_device ||
           error == std::errc::no_such_device_or_address;
}

milliseconds Left(Clock::time_point deadline) {
    return std::max(milliseconds(0), std::chrono::duration_cast<milliseconds>(deadline - Clock::now()));
}

class ReturnWait {
public:
    explicit ReturnWait(const ReturnRequest& request)
        : request_(request), deadline_(Clock::now() + request.budget), name_(request.port) {}

    ReturnResult Run(Q470Comm& link) {
        ReturnResult result;
        while (!Stopping()) {
            const ConnectionLine& first = request_.lines.front();
            const std::error_code error =
                link.Open(name_, first.baudRate, first.dataBits, first.parity, first.stopBits);
            if (error) {
                if (Left(deadline_) <= kReopenPause)
                    return Ended(PortMissing(error) ? Outcome::NotBack : Outcome::CannotOpen, error);
                if (PortMissing(error)) {
                    if (!AwaitPort()) return Ended(Stopping() ? Outcome::Stopped : Outcome::NotBack, error);
                } else {
                    std::this_thread::sleep_for(kReopenPause);
                }
                continue;
            }
            if (const auto line = AnswerAtSomeLine(link)) {
                result.outcome = Outcome::Back;
                result.name = name_;
                result.line = *line;
                return result;
            }
            const bool wentAgain = link.HungUp();
            link.Close();
            if (!wentAgain || Left(deadline_) <= kReopenPause) return Ended(Outcome::NoAnswer, {});
            std::this_thread::sleep_for(kReopenPause);  // still restarting: its port went again
        }
        return Ended(Outcome::Stopped, {});
    }

private:
    using Outcome = ReturnResult::Outcome;

    bool Stopping() const { return request_.stopping && request_.stopping(); }

    ReturnResult Ended(Outcome outcome, std::error_code error) const {
        ReturnResult result;
        result.outcome = Stopping() ? Outcome::Stopped : outcome;
        result.name = name_;
        if (outcome == Outcome::CannotOpen) result.openError = error;
        return result;
    }

    // The port is away: waits until it is back under a name to open it by.
    bool AwaitPort() {
        if (request_.names.openedAs.empty()) {
            std::this_thread::sleep_for(kReopenPause);  // nothing to watch by: the name is tried again
            return Left(deadline_) > milliseconds(0);
        }
        // One watch for the whole wait: a node it saw missing counts as new even when the kernel reuses it.
        if (!watch_) watch_ = std::make_unique<PortReturnWatch>(request_.names);
        while (!Stopping() && Left(deadline_) > milliseconds(0)) {
            const PortReturn back = watch_->Wait(std::min(Left(deadline_), kWatchSlice));
            if (back.outcome == PortReturn::Outcome::Cancelled) return false;
            if (back.outcome != PortReturn::Outcome::Back) continue;
            // A name that leads to a node again may not open yet: the device is still coming up.
            if (back.name == name_) std::this_thread::sleep_for(kReopenPause);
            name_ = back.name;
            return true;
        }
        return false;
    }

    std::optional<ConnectionLine> AnswerAtSomeLine(Q470Comm& link) {
        bool first = true;
        for (const ConnectionLine& line : request_.lines) {
            if (!first && link.ChangeLine(line.baudRate, line.dataBits, line.parity, line.stopBits))
                return std::nullopt;
            const milliseconds budget = first ? Left(deadline_) : kOtherLineBudget;
            if (WaitUntilAnswering(link, ProbeWait(line), budget, request_.stopping)) return line;
            if (link.HungUp() || Stopping()) return std::nullopt;
            first = false;
        }
        return std::nullopt;
    }

    const ReturnRequest& request_;
    const Clock::time_point deadline_;
    std::string name_;
    std::unique_ptr<PortReturnWatch> watch_;
};

}  // namespace

ReturnResult AwaitDeviceReturn(Q470Comm& link, const ReturnRequest& request) {
    if (request.lines.empty()) return {};
    return ReturnWait(request).Run(link);
}

}  // namespace q470
