#include "write_verifier.h"

#include "device_probe.h"
#include "job_code.h"
#include "job_host.h"
#include "job_session.h"
#include "line_choices.h"
#include "model_kind.h"
#include "read_jobs.h"

namespace q470 {
namespace {

using Clock = std::chrono::steady_clock;

// A device that does not answer at its new UART setting is looked for briefly at the old one: by
// then it has had the whole restart budget to come back.
constexpr std::chrono::milliseconds kOldLineBudget{1000};

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

// Opens (the first time) or switches the port to `line` and waits for the device there.
std::optional<std::uint8_t> AnswerAt(Q470Comm& link, const VerifyRequest& request, const ConnectionLine& line,
                                     bool first, std::chrono::milliseconds budget, VerifyReport& report) {
    const std::error_code error =
        first ? link.Open(request.port, line.baudRate, line.dataBits, line.parity, line.stopBits)
              : link.ChangeLine(line.baudRate, line.dataBits, line.parity, line.stopBits);
    if (error) {
        report.openError = error;
        report.outcome = VerifyOutcome::CannotOpen;
        return std::nullopt;
    }
    return WaitUntilAnswering(link, ProbeWait(line), budget, request.stopping);
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
    FillReadBack(report.checks, host.State(), quiet, line);
    report.outcome = CountDifferences(report.checks) == 0 ? VerifyOutcome::Verified : VerifyOutcome::Differs;
}

}  // namespace

VerifyReport VerifyWrites(Q470Comm& link, const VerifyRequest& request) {
    VerifyReport report;
    report.checks = request.checks;
    link.Close();
    const ConnectionLine expected = LineAfterRestart(request.checks, request.connection);
    const auto start = Clock::now();

    std::optional<std::uint8_t> quiet = AnswerAt(link, request, expected, true, request.restartBudget, report);
    ConnectionLine answeredAt = expected;
    if (!quiet && report.outcome != VerifyOutcome::CannotOpen && !Stopping(request) &&
        !SameLine(expected, request.connection)) {
        quiet = AnswerAt(link, request, request.connection, false, kOldLineBudget, report);
        answeredAt = request.connection;
    }
    if (Stopping(request)) {
        report.outcome = VerifyOutcome::Stopped;
        return report;
    }
    if (!quiet) {
        if (report.outcome != VerifyOutcome::CannotOpen) report.outcome = VerifyOutcome::NoAnswer;
        return report;
    }
    report.readyAfter = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    report.line = answeredAt;
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
        case VerifyOutcome::Stopped:
            return "stopped";
    }
    return "";
}

}  // namespace q470
