// Opening and closing the device link many times over leaves no descriptor and no thread behind.

#include "q470comm.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <string>

#include "io_service_exec.h"
#include "simulated_modem.h"

namespace q470 {
namespace {

std::size_t EntriesIn(const char* folder) {
    std::size_t count = 0;
    if (DIR* dir = ::opendir(folder)) {
        while (const dirent* entry = ::readdir(dir)) count += entry->d_name[0] != '.';
        ::closedir(dir);
    }
    return count;
}

// The listing's own descriptor is counted both times.
std::size_t OpenDescriptors() {
    return EntriesIn("/proc/self/fd");
}

std::size_t ProcessThreads() {
    return EntriesIn("/proc/self/task");
}

TEST(LinkCycles, AThousandOpeningsLeaveNoDescriptorAndNoThread) {
    constexpr int kCycles = 1000;
    sim::SimulatedModem modem({});
    std::string error;
    ASSERT_TRUE(modem.Start(&error)) << error;
    Q470Comm link;
    const std::size_t descriptors = OpenDescriptors();
    const std::size_t threads = ProcessThreads();
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        ASSERT_FALSE(link.Open(modem.PortPath(), 115200, 8, 0, 0)) << "cycle " << cycle;
        // Every tenth opening also exchanges a command, so reads and writes are in flight at the close.
        if (cycle % 10 == 0) {
            ASSERT_EQ(link.Execute("AT\r", CmdAt)->kind, RespOk) << "cycle " << cycle;
        }
        link.Close();
        if (cycle % 100 == 99) modem.ClearTranscript();
    }
    EXPECT_EQ(g_openLinks, 0);
    EXPECT_EQ(IoServiceExec::Instance().ThreadCount(), 0u);
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(ProcessThreads(), threads);
}

}  // namespace
}  // namespace q470
