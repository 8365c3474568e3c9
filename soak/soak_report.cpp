#include "soak_report.h"

#include <array>
#include <cstdio>
#include <utility>

#include "job_code.h"
#include "q470comm.h"
#include "response_parser.h"

namespace q470::soak {
namespace {

struct JobLabel {
    std::int32_t job;
    const char* name;
};

constexpr std::array<JobLabel, 11> kJobLabels{{
    {kConnectChain, "connect (identify, read)"},
    {JobIdentify, "identify"},
    {JobReadQ470R, "read Q470R"},
    {JobReadKs, "read KELDAN"},
    {JobApplyGeneralQ470R, "apply general Q470R"},
    {JobApplyGeneralKs, "apply general KELDAN"},
    {JobApplyGpio, "apply GPIO"},
    {JobApplyFileQ470R, "apply file Q470R"},
    {JobApplyFileKs, "apply file KELDAN"},
    {JobRestart, "restart"},
    {JobFactoryReset, "factory reset"},
}};

double MiB(std::size_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

}  // namespace

const char* JobName(std::int32_t job) {
    for (const auto& label : kJobLabels) {
        if (label.job == job) return label.name;
    }
    return "?";
}

SoakReport::SoakReport(std::string name, std::uint64_t seed) : name_(std::move(name)), seed_(seed) {}

void SoakReport::JobEnded(std::int32_t job, std::int32_t result) {
    auto& outcomes = jobs_[job];
    ++(result == JobSucceeded ? outcomes.succeeded : outcomes.failed);
}

void SoakReport::JobDropped(std::int32_t job) {
    ++jobs_[job].dropped;
}

void SoakReport::Fail(const std::string& what) {
    if (failed_) return;
    failed_ = true;
    std::fprintf(stderr, "SOAK FAILED (%s, seed %llu): %s\n", name_.c_str(), static_cast<unsigned long long>(seed_),
                 what.c_str());
    std::fflush(stderr);
}

void SoakReport::Print(const FaultChooser& faults, const RssMonitor& memory, double seconds) const {
    std::printf("== soak %s: seed %llu, %.0f s, %s\n", name_.c_str(), static_cast<unsigned long long>(seed_), seconds,
                failed_ ? "FAILED" : "passed");
    std::uint64_t total = 0;
    for (const auto& [job, outcomes] : jobs_) {
        std::printf("  job %-24s %6llu succeeded %6llu failed %4llu dropped\n", JobName(job),
                    static_cast<unsigned long long>(outcomes.succeeded),
                    static_cast<unsigned long long>(outcomes.failed),
                    static_cast<unsigned long long>(outcomes.dropped));
        total += outcomes.succeeded + outcomes.failed + outcomes.dropped;
    }
    std::printf("  jobs in all %llu\n", static_cast<unsigned long long>(total));
    const auto counts = faults.Counts();
    std::printf("  commands without fault %llu; faults:", static_cast<unsigned long long>(faults.CleanCount()));
    for (std::size_t kind = 0; kind < kFaultKinds; ++kind) {
        std::printf(" %s %llu%s", FaultKindName(static_cast<FaultKind>(kind)),
                    static_cast<unsigned long long>(counts[kind]), kind + 1 < kFaultKinds ? "," : "\n");
    }
    std::printf("  devices %llu, hang-ups %llu, error reports %llu (beyond the first of a hang-up: %llu)\n",
                static_cast<unsigned long long>(devices), static_cast<unsigned long long>(hangUps),
                static_cast<unsigned long long>(errorCallbacks), static_cast<unsigned long long>(extraCallbacks));
    std::printf("  max receive buffer %zu of %zu bytes, max frame buffer %zu bytes (bound %zu)\n", maxReceiveBuffer,
                Q470Comm::kReceiveCap, maxFrameBuffer, Q470Comm::kReceiveCap + kMaxFrameLength);
    std::printf("  resident memory %.1f MiB after warm-up, %.1f MiB at the end; %s samples, MiB: %s\n",
                MiB(memory.FirstBytes()), MiB(memory.LastBytes()), RssMonitor::Measure(),
                memory.SamplesInMiB().c_str());
    std::fflush(stdout);
}

}  // namespace q470::soak
