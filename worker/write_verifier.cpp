#include "write_verifier.h"

#include <thread>

#include "command_catalogue.h"
#include "device_probe.h"
#include "job_code.h"
#include "job_host.h"
#include "job_session.h"
#include "line_choices.h"
#include "model_kind.h"
#include "port_return_watch.h"
#include "read_jobs.h"

namespace q470 {
namespace {

using Clock = std::chrono::steady_clock;

// A device that does not answer at its new UART setting is looked for briefly at the old one: by
// then it has had the whole restart budget to come back.
constexpr std::chrono::milliseconds kOldLineBudget{1000};
// Asks that went unanswered in a row before the device answered again: the pause of a restart, not a
// probe lost to noise.
constexpr unsigned kSilentAsks = 2;
// Between attempts to open a port that has gone with the device's restart.
constexpr std::chrono::milliseconds kReopenPause{50};

// The read jobs' host for one read on the calling thread; nothing is written to the device.
class ReadBackHost final : public JobHost {
public:
    ReadBackHost(Q470Comm& link, std::uint32_t modelKind) : link_(link) { state_.modelKind = modelKind; }

    Q470Comm& DeviceLink() override { return link_; }
    DeviceState& State() override { return state_; }
    void PostJobResult(std::int32_t /*job*/, std::int32_t /*result*/) override {}

private:
    Q470Comm& link_;
    DeviceState state_;
};

bool Stopping(const VerifyRequest& request) {
    return request.stopping && request.stopping();
}

bool Acknowledged(std::int32_t answer) {
    return answer == RespOk || answer == RespReady || answer == RespReadyDebug;
}

// A port whose device has gone (a USB device that restarts takes its port with it).
bool PortMissing(const std::error_code& error) {
    return error == std::errc::no_such_file_or_directory || error == std::errc::no_such_device ||
           error == std::errc::no_such_device_or_address;
}

// What showed the device restarting, besides its "+READY" (which the link keeps).
struct RestartSigns {
    bool portCameBack = false;
    unsigned unanswered = 0;  // asks before the device answered, at the line it answered at
};

std::optional<std::string> AwaitReturn(const VerifyRequest& request, Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return AwaitPortReturnBy(request.names, left, request.stopping);
}

// Opens the port again at `line`, also after it has gone for a while with the device's restart; the
// name it came back under goes to `report.foundAs`.
std::error_code Reopen(Q470Comm& link, const VerifyRequest& request, const ConnectionLine& line,
                       Clock::time_point deadline, RestartSigns& signs, VerifyReport& report) {
    const bool watched = !request.names.openedAs.empty();
    for (;;) {
        const std::string& name = report.foundAs.empty() ? request.port : report.foundAs;
        const std::error_code error = link.Open(name, line.baudRate, line.dataBits, line.parity, line.stopBits);
        if (!error) return {};
        if (!PortMissing(error) || Stopping(request) || Clock::now() + kReopenPause >= deadline) {
            if (PortMissing(error) && watched && !Stopping(request)) report.outcome = VerifyOutcome::NotBack;
            return error;
        }
        signs.portCameBack = true;  // gone for now: it counts once it opens again
        if (!watched) {
            std::this_thread::sleep_for(kReopenPause);
            continue;
        }
        const auto back = AwaitReturn(request, deadline);
        if (!back) {
            if (!Stopping(request)) report.outcome = VerifyOutcome::NotBack;
            return error;
        }
        // A name that leads to a node again may not open yet: the device is still coming up.
        if (!report.foundAs.empty() && *back == report.foundAs) std::this_thread::sleep_for(kReopenPause);
        report.foundAs = *back;
    }
}

// Opens (the first time) or switches the port to `line` and waits for the device there.
std::optional<std::uint8_t> AnswerAt(Q470Comm& link, const VerifyRequest& request, const ConnectionLine& line,
                                     bool first, std::chrono::milliseconds budget, VerifyReport& report,
                                     RestartSigns& signs) {
    const auto deadline = Clock::now() + budget;
    for (;;) {
        const std::error_code error = first ? Reopen(link, request, line, deadline, signs, report)
                                            : link.ChangeLine(line.baudRate, line.dataBits, line.parity, line.stopBits);
        if (error) {
            report.openError = error;
            if (report.outcome != VerifyOutcome::NotBack) report.outcome = VerifyOutcome::CannotOpen;
            return std::nullopt;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const auto quiet = WaitUntilAnswering(link, ProbeWait(line), std::max(left, std::chrono::milliseconds(0)),
                                              request.stopping, &signs.unanswered);
        if (quiet || !first || !link.HungUp() || Stopping(request) || Clock::now() + kReopenPause >= deadline) {
            return quiet;
        }
        // The port went again before the device answered: it is still restarting.
        signs.portCameBack = true;
        link.Close();
        std::this_thread::sleep_for(kReopenPause);
    }
}

// Whether the device was seen to restart since the restart command went out.
bool SeenToRestart(Q470Comm& link, const VerifyRequest& request, const ConnectionLine& answeredAt,
                   const RestartSigns& signs) {
    // A UART setting comes into force only at a restart: answering at a new one shows it.
    return link.LastRestart().announced || signs.portCameBack || signs.unanswered >= kSilentAsks ||
           !SameLine(answeredAt, request.connection);
}

void ReadAndCompare(Q470Comm& link, const VerifyRequest& request, const ConnectionLine& line, std::uint8_t quiet,
                    VerifyReport& report) {
    DeviceIdentity identity;
    // The read job reads the rest of the identity; the model name picks the job.
    const IdentityOutcome identified = ReadModelName(link, line.baudRate, identity);
    if (identified == IdentityOutcome::UnknownModel ||
        (identified == IdentityOutcome::Read && identity.modelKind != request.modelKind &&
         !(IsKsFamily(identity.modelKind) && IsKsFamily(request.modelKind)))) {
        report.outcome = VerifyOutcome::OtherDevice;
        return;
    }
    ReadBackHost host(link, identity.modelKind);
    JobSession session(link);
    JobInput input;
    input.line = line;
    const bool q470r = identity.modelKind == ModelQ470R;
    const std::int32_t result = identified == IdentityOutcome::Read
                                    ? (q470r ? RunReadQ470R(input, host, session) : RunReadKs(input, host, session))
                                    : JobFailed;
    if (result != JobSucceeded) {
        report.outcome = Stopping(request) ? VerifyOutcome::Stopped : VerifyOutcome::ReadFailed;
        return;
    }
    if (request.extendedAddress != 0 && host.State().info.extendedAddress != request.extendedAddress) {
        report.outcome = VerifyOutcome::OtherDevice;
        return;
    }
    FillReadBack(report.checks, host.State(), quiet, line);
    report.outcome = CountDifferences(report.checks) == 0 ? VerifyOutcome::Verified : VerifyOutcome::Differs;
}

}  // namespace

std::optional<std::string> AwaitPortReturnBy(const PortNames& names, std::chrono::milliseconds budget,
                                             const std::function<bool()>& stopping) {
    const auto deadline = Clock::now() + budget;
    const auto stopped = [&stopping] { return stopping && stopping(); };
    // A watch that saw the port missing counts its node as new even where the kernel reuses it.
    PortReturnWatch watch(names);
    // In slices, so a stop is seen while the device is away.
    constexpr std::chrono::milliseconds kSlice{100};
    while (!stopped()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left <= std::chrono::milliseconds(0)) break;
        const PortReturn back = watch.Wait(std::min(left, kSlice));
        if (back.outcome == PortReturn::Outcome::Back) return back.name;
        if (back.outcome == PortReturn::Outcome::Cancelled) break;
    }
    return std::nullopt;
}

VerifyReport VerifyWrites(Q470Comm& link, const VerifyRequest& request) {
    VerifyReport report;
    report.checks = request.checks;
    report.restartBudget = request.restartBudget;
    const Q470Comm::RestartNews restart = link.LastRestart();
    report.restartCommand = restart.command;
    report.restartAnswer = restart.answer;
    report.restartRefused = restart.refused;
    // The restart's "+READY" is owed once its OK came; taken in as it comes at this line, if it does.
    if (restart.answer == RespOk && !restart.announced) link.AwaitOwed(kAnnouncementWait);
    RestartSigns signs;
    signs.portCameBack = link.HungUp() && Acknowledged(restart.answer);
    link.Close();
    const ConnectionLine expected = LineAfterRestart(request.checks, request.connection);
    const auto start = Clock::now();

    std::optional<std::uint8_t> quiet = AnswerAt(link, request, expected, true, request.restartBudget, report, signs);
    ConnectionLine answeredAt = expected;
    const auto couldNotOpen = [&report] {
        return report.outcome == VerifyOutcome::CannotOpen || report.outcome == VerifyOutcome::NotBack;
    };
    if (!quiet && !couldNotOpen() && !Stopping(request) && !SameLine(expected, request.connection)) {
        quiet = AnswerAt(link, request, request.connection, false, kOldLineBudget, report, signs);
        answeredAt = request.connection;
    }
    if (Stopping(request)) {
        report.outcome = VerifyOutcome::Stopped;
        return report;
    }
    if (!quiet) {
        if (!couldNotOpen()) report.outcome = VerifyOutcome::NoAnswer;
        return report;
    }
    report.readyAfter = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    report.line = answeredAt;
    // What it holds now is not what it will hold after a restart: nothing to compare.
    if (!SeenToRestart(link, request, answeredAt, signs)) {
        report.outcome = VerifyOutcome::NotRestarted;
        return report;
    }
    ReadAndCompare(link, request, answeredAt, *quiet, report);
    return report;
}

const char* VerifyOutcomeName(VerifyOutcome outcome) {
    switch (outcome) {
        case VerifyOutcome::Verified:
            return "verified";
        case VerifyOutcome::Differs:
            return "differs";
        case VerifyOutcome::NoAnswer:
            return "no-answer";
        case VerifyOutcome::OtherDevice:
            return "other-device";
        case VerifyOutcome::ReadFailed:
            return "read-failed";
        case VerifyOutcome::CannotOpen:
            return "cannot-open";
        case VerifyOutcome::NotBack:
            return "not-back";
        case VerifyOutcome::NotRestarted:
            return "not-restarted";
        case VerifyOutcome::Stopped:
            return "stopped";
    }
    return "";
}

}  // namespace q470
