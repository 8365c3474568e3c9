#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "job_host.h"

namespace q470::test {

using namespace std::chrono_literals;

constexpr auto kHangGuard = 10s;  // only a hang gets near it
constexpr std::uint32_t kLinkBaudRate = 115200;

struct PostedResult {
    std::int32_t job;
    std::int32_t result;
    bool operator==(const PostedResult& other) const { return job == other.job && result == other.result; }
};

// The owner's side of the jobs, as a window or the command-line tool holds it. Results and dropped
// codes are collected under a mutex, which also hands the device state over to the test thread.
class TestHost final : public JobHost {
public:
    Q470Comm link;
    DeviceState state;

    Q470Comm& DeviceLink() override { return link; }
    DeviceState& State() override { return state; }
    void PostJobResult(std::int32_t job, std::int32_t result) override;
    void JobDropped(std::int32_t job) override;
    // Written before the job's result; read it once the result has been waited for.
    void RecordApplyTrail(const ApplyTrail& applied) override { trail = applied; }
    ApplyTrail trail;

    // False when fewer arrived within the guard time.
    bool WaitForResults(std::size_t count);
    bool WaitForDropped(std::size_t count);
    std::vector<PostedResult> Results();
    std::vector<std::int32_t> Dropped();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<PostedResult> results_;
    std::vector<std::int32_t> dropped_;
};

}  // namespace q470::test
