#include "child_process.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>

namespace q470::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kGenerous = 10s;
const std::string kShell = "/bin/sh";

TEST(ChildProcess, KeepsOutputErrorsAndStatusApart) {
    ChildProcess child(kShell, {"-c", "printf out; printf err >&2; exit 3"});
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(child.Wait(kGenerous), 3);
    EXPECT_EQ(child.Wait(kGenerous), 3) << "a reaped process keeps its status";
    EXPECT_EQ(child.Output(), "out");
    EXPECT_EQ(child.Errors(), "err");
}

TEST(ChildProcess, OutputLinesLeavesTheRestForTheNextRead) {
    ChildProcess child(kShell, {"-c", "printf 'one\\ntwo\\nthree\\n'"});
    EXPECT_EQ(child.OutputLines(2), "one\ntwo\n");
    EXPECT_EQ(child.Output(), "three\n");
    EXPECT_EQ(child.Wait(kGenerous), 0);
}

TEST(ChildProcess, DiscardedOutputReadsAsNothingAndErrorsStillCome) {
    ChildProcess child(kShell, {"-c", "echo out; echo err >&2"}, ChildProcess::StandardOutput::Discarded);
    EXPECT_EQ(child.Output(), "");
    EXPECT_EQ(child.Errors(), "err\n");
    EXPECT_EQ(child.Wait(kGenerous), 0);
}

// A program that keeps running: reads and waits give up at their time-out, and a signal ends it.
TEST(ChildProcess, TimeOutsReturnAndASignalEndsTheRun) {
    ChildProcess child(kShell, {"-c", "exec sleep 30"});
    ASSERT_TRUE(child.Started());
    const auto start = Clock::now();
    EXPECT_EQ(child.Output(100ms), "");
    EXPECT_EQ(child.Wait(100ms), -1);
    EXPECT_LT(Clock::now() - start, 5s);
    child.Signal(SIGTERM);
    EXPECT_EQ(child.Wait(kGenerous), 128 + SIGTERM);
}

// Nothing to wait for is no success: the status of a run that never began is -1, at once.
TEST(ChildProcess, AMissingProgramNeverStartsAndHasNoStatus) {
    ChildProcess child("/nonexistent/q470-no-such-program", {});
    EXPECT_FALSE(child.Started());
    const auto start = Clock::now();
    EXPECT_EQ(child.Wait(kGenerous), -1);
    EXPECT_EQ(child.Errors(), "");
    EXPECT_LT(Clock::now() - start, 5s);
}

}  // namespace
}  // namespace q470::test
