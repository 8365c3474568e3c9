// Opening and closing the device link many times over leaves no descriptor and no thread behind.

#include "q470comm.h"

#include <gtest/gtest.h>

#include <string>

#include "io_service_exec.h"
#include "process_census.h"
#include "simulated_modem.h"

namespace q470 {
namespace {

using test::OpenDescriptors;
using test::ProcessThreads;

TEST(LinkCycles, AThousandOpeningsLeaveNoDescriptorAndNoThread) {
    constexpr int kCycles = 1000;
    sim::SimulatedModem modem({});
    std::string error;
    ASSERT_TRUE(modem.Start(&error)) << error;
    Q470Comm link;
    const std::size_t descriptors = OpenDescriptors();
    const std::size_t threads = ProcessThreads();
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        ASSERT_FALSE(link.Open(modem.PortPath(), modem.ActiveLine().baudRate, 8, 0, 0)) << "cycle " << cycle;
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
