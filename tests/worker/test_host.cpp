#include "test_host.h"

namespace q470::test {

void TestHost::PostJobResult(std::int32_t job, std::int32_t result) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        results_.push_back({job, result});
    }
    changed_.notify_all();
}

void TestHost::JobDropped(std::int32_t job) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        dropped_.push_back(job);
    }
    changed_.notify_all();
}

bool TestHost::WaitForResults(std::size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, kHangGuard, [&] { return results_.size() >= count; });
}

bool TestHost::WaitForDropped(std::size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, kHangGuard, [&] { return dropped_.size() >= count; });
}

std::vector<PostedResult> TestHost::Results() {
    std::lock_guard<std::mutex> lock(mutex_);
    return results_;
}

std::vector<std::int32_t> TestHost::Dropped() {
    std::lock_guard<std::mutex> lock(mutex_);
    return dropped_;
}

}  // namespace q470::test
