// The command run after a unit: what it is told, how it ends, and that it cannot outlive its time-out.

#include "hook_runner.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <thread>

#include "temp_folder.h"

namespace q470::test {
namespace {

using namespace std::chrono_literals;

// Whether a process still runs: gone, or a zombie nobody has reaped yet.
bool Running(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    std::getline(stat, text);
    const auto state = text.rfind(')');
    return state != std::string::npos && state + 2 < text.size() && text[state + 2] != 'Z';
}

// Texts from a unit reach the command as values only: a model name written as shell code stays text.
TEST(HookRunner, TellsTheUnitThroughTheEnvironmentOnly) {
    TempFolder folder;
    const std::string marker = folder.Path("injected");
    HookCall call;
    call.command = R"(printf '%s|%s|%s' "$Q470_PORT" "$Q470_MODEL" "$Q470_LOG_ID"; echo " to stderr" >&2; exit 0)";
    call.environment = {{"Q470_PORT", "/dev/ttyUSB0"},
                        {"Q470_MODEL", "$(touch " + marker + ")`touch " + marker + "`"},
                        {"Q470_LOG_ID", "42"},
                        {"PATH", "/usr/bin:/bin"}};
    const HookOutcome outcome = RunHook(call);
    EXPECT_EQ(outcome.kind, HookOutcome::Kind::Succeeded);
    EXPECT_EQ(HookOutcomeWord(outcome), "ok");
    EXPECT_EQ(outcome.output, "/dev/ttyUSB0|$(touch " + marker + ")`touch " + marker + "`|42 to stderr\n");
    EXPECT_FALSE(std::ifstream(marker));
}

TEST(HookRunner, SaysHowTheCommandEnded) {
    struct Case {
        const char* command;
        HookOutcome::Kind kind;
        const char* word;
    };
    const Case cases[] = {
        {"exit 3", HookOutcome::Kind::Failed, "exit 3"},
        {"kill -9 $$", HookOutcome::Kind::Signalled, "signal 9"},
        {"no-such-command-q470 2>/dev/null", HookOutcome::Kind::Failed, "exit 127"},
        // The station ignores signals a hook must not: it gets them as any program would.
        {"kill -INT $$; sleep 0.2; exit 0", HookOutcome::Kind::Signalled, "signal 2"},
        {"kill -PIPE $$; sleep 0.2; exit 0", HookOutcome::Kind::Signalled, "signal 13"},
    };
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction interrupt {
    }, pipe{};
    sigaction(SIGINT, &ignore, &interrupt);
    sigaction(SIGPIPE, &ignore, &pipe);
    for (const auto& c : cases) {
        HookCall call;
        call.command = c.command;
        const HookOutcome outcome = RunHook(call);
        EXPECT_EQ(outcome.kind, c.kind) << c.command;
        EXPECT_EQ(HookOutcomeWord(outcome), c.word) << c.command;
    }
    sigaction(SIGINT, &interrupt, nullptr);
    sigaction(SIGPIPE, &pipe, nullptr);
    HookCall chatty;
    chatty.command = "head -c 10000 /dev/zero | tr '\\0' x";
    const HookOutcome outcome = RunHook(chatty);
    EXPECT_EQ(outcome.kind, HookOutcome::Kind::Succeeded);
    EXPECT_EQ(outcome.output, std::string(HookOutcome::kOutputLimit, 'x'));
    EXPECT_TRUE(outcome.outputCut);
}

// A hook that hangs is killed at its time-out, with everything it started, and the station goes on.
TEST(HookRunner, TimeOutEndsTheWholeGroup) {
    TempFolder folder;
    const std::string pidFile = folder.Path("background");
    HookCall call;
    call.command = "sleep 30 & echo $! > " + pidFile + "; trap '' TERM; echo started; wait";
    call.timeout = 300ms;
    const auto begun = std::chrono::steady_clock::now();
    const HookOutcome outcome = RunHook(call);
    const auto took = std::chrono::steady_clock::now() - begun;
    EXPECT_EQ(outcome.kind, HookOutcome::Kind::TimedOut);
    EXPECT_EQ(HookOutcomeWord(outcome), "timed-out");
    EXPECT_EQ(outcome.output, "started\n");
    EXPECT_LT(took, 5s);
    pid_t background = 0;
    std::ifstream(pidFile) >> background;
    ASSERT_GT(background, 0);
    for (int i = 0; i < 100 && Running(background); ++i) std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(Running(background));
}

}  // namespace
}  // namespace q470::test
