#include "process_census.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace q470::test {
namespace {

TEST(ProcessCensus, CountsEachDescriptorAndThreadOnce) {
    const std::size_t descriptors = OpenDescriptors();
    const std::size_t threads = ProcessThreads();

    const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    std::mutex mutex;
    std::condition_variable released;
    bool done = false;
    std::thread thread([&] {
        std::unique_lock<std::mutex> lock(mutex);
        released.wait(lock, [&] { return done; });
    });
    EXPECT_EQ(OpenDescriptors(), descriptors + 1);
    EXPECT_EQ(ProcessThreads(), threads + 1);

    {
        std::lock_guard<std::mutex> lock(mutex);
        done = true;
    }
    released.notify_one();
    thread.join();
    ::close(fd);
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(ProcessThreads(), threads);
}

}  // namespace
}  // namespace q470::test
