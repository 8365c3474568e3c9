#include "sim_unit_runner.h"

#include "device_probe.h"
#include "device_records.h"
#include "job_code.h"
#include "job_worker.h"
#include "test_host.h"

namespace q470::test {

ProbeAnswer SimUnitRunner::Probe(const std::string& port, const StopSignal& /*stop*/) {
    ProbeAnswer answer;
    Q470Comm link;
    if (auto error = link.Open(port, kBaudRate, 8, 0, 0)) {
        answer.kind = ProbeAnswer::Kind::CannotOpen;
        answer.error = error;
        return answer;
    }
    DeviceIdentity identity;
    const IdentityOutcome outcome = ReadIdentity(link, kBaudRate, identity);
    link.Close();
    if (outcome == IdentityOutcome::NoAnswer) return answer;
    answer.kind = ProbeAnswer::Kind::Answered;
    if (outcome == IdentityOutcome::Read)
        answer.identity.extendedAddress = FormatExtendedAddress(identity.extendedAddress);
    answer.identity.model = identity.modelName;
    answer.identity.firmware = identity.firmware;
    return answer;
}

UnitResult SimUnitRunner::Run(const std::string& port, const ProbeAnswer& found, const StepSink& step,
                              const StopSignal& stop) {
    UnitResult result;
    result.identity = found.identity;
    const auto fail = [&](UnitStep at, FailureKind kind) {
        result.verdict = UnitVerdict::Failed;
        result.failure = kind;
        result.failedStep = at;
        return result;
    };
    // Every step begins only while the station runs: a stop lets the step before it finish.
    const auto begin = [&](UnitStep at) {
        if (stop.Raised()) {
            result.verdict = UnitVerdict::Interrupted;
            result.failedStep = at;
            return false;
        }
        step(at);
        if (onStep) onStep(port, at);
        return true;
    };

    TestHost host;
    JobWorker worker(host);
    struct Closer {
        TestHost& host;
        JobWorker& worker;
        ~Closer() {
            host.link.Close();
            worker.StopWorker();
        }
    } closer{host, worker};

    if (!begin(UnitStep::FindLine)) return result;
    if (host.link.Open(port, kBaudRate, 8, 0, 0)) return fail(UnitStep::FindLine, FailureKind::Transient);
    worker.StartWorker();
    JobInput input;
    input.line = ConnectionLine{kBaudRate, 8, 0, 0};
    std::size_t jobs = 0;
    const auto run = [&](std::int32_t job) {
        worker.PushJob(job, input);
        return host.WaitForResults(++jobs) ? host.Results().back().result : JobFailed;
    };

    if (!begin(UnitStep::Identify)) return result;
    const std::int32_t identified = run(JobIdentify);
    if (identified == IdentifyUnknownModel) return fail(UnitStep::CheckModel, FailureKind::Final);
    if (identified != JobSucceeded) return fail(UnitStep::Identify, FailureKind::Transient);
    if (!begin(UnitStep::CheckModel)) return result;
    if (host.state.modelKind != model_) return fail(UnitStep::CheckModel, FailureKind::Final);
    if (!begin(UnitStep::Read)) return result;
    if (run(IsKsFamily(model_) ? JobReadKs : JobReadQ470R) != JobSucceeded)
        return fail(UnitStep::Read, FailureKind::Transient);

    result.identity.extendedAddress = FormatExtendedAddress(host.state.info.extendedAddress);
    result.identity.model = ModelName(host.state.modelKind);
    result.identity.firmware = FirmwareText(host.state);
    result.verdict = UnitVerdict::Passed;
    return result;
}

}  // namespace q470::test
