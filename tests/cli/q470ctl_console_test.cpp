// q470ctl console as a process: lines from a pipe go to the device one by one, every line the device
// sends is printed with its time, unsolicited ones too, and the session ends on "exit", end of input,
// Ctrl-C or a hang-up with the right status.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "raw_device.h"
#include "simulated_modem.h"

namespace q470::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kGenerous = std::chrono::seconds(20);

// Whether this program (and so the tool beside it) runs under AddressSanitizer, whose shadow memory no
// data size limit leaves room for.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

ChildProcess Console(const std::string& port) {
    return ChildProcess(Q470CTL_EXECUTABLE, {"-p", port, "console"}, ChildProcess::StandardOutput::Piped,
                        ChildProcess::StandardInput::Piped);
}

// The printed lines without their times; a line without a time stays as it is.
std::vector<std::string> Lines(const std::string& output) {
    static const std::regex kTimed(R"( *[0-9]+\.[0-9]{3} (.*))");
    std::vector<std::string> lines;
    std::istringstream stream(output);
    for (std::string line; std::getline(stream, line);) {
        std::smatch match;
        lines.push_back(std::regex_match(line, match, kTimed) ? std::string(match[1]) : line);
    }
    return lines;
}

TEST(Q470ctlConsole, APipedSessionSendsEachLineAndPrintsWhatComesBack) {
    sim::SimulatedModem modem({});
    ASSERT_TRUE(modem.Start());
    ChildProcess console = Console(modem.PortPath());
    ASSERT_TRUE(console.WriteInput("AT+VER?\nAT+QM?\n\nAT+FOO\r\nexit\nAT\n"));
    console.CloseInput();
    ASSERT_EQ(console.Wait(kGenerous), 0) << console.Errors();
    const std::vector<std::string> expected = {"> AT+VER?", "< +VER,1.5.0", "< OK",   "> AT+QM?",
                                               "< +QM,0",   "< OK",         "> AT+FOO", "< ERROR"};
    EXPECT_EQ(Lines(console.Output()), expected);
    EXPECT_EQ(modem.Commands(), (std::vector<std::string>{"AT+VER?\r", "AT+QM?\r", "AT+FOO\r"}));
}

TEST(Q470ctlConsole, PrintsWhatTheDeviceSendsUnaskedAndEndsAtTheEndOfInput) {
    RawDevice device;
    ASSERT_TRUE(device.Opened());
    ChildProcess console = Console(device.Path());
    std::this_thread::sleep_for(300ms);  // the port is open
    ASSERT_TRUE(device.Write("\r\n+ACTIVE\r\n\r\n+INACT"));
    EXPECT_EQ(Lines(console.OutputLines(1)), std::vector<std::string>{"< +ACTIVE"});
    ASSERT_TRUE(device.Write("IVE\r\n"));
    EXPECT_EQ(Lines(console.OutputLines(1)), std::vector<std::string>{"< +INACTIVE"});
    console.CloseInput();
    EXPECT_EQ(console.Wait(kGenerous), 0) << console.Errors();
}

TEST(Q470ctlConsole, CtrlCEndsItWith130AndAHangUpWith1) {
    sim::SimulatedModem modem({});
    ASSERT_TRUE(modem.Start());
    {
        ChildProcess console = Console(modem.PortPath());
        ASSERT_TRUE(console.WriteInput("AT\n"));
        EXPECT_EQ(Lines(console.OutputLines(2)), (std::vector<std::string>{"> AT", "< OK"}));
        const auto signalled = Clock::now();
        console.Signal(SIGINT);
        EXPECT_EQ(console.Wait(kGenerous), 130);
        EXPECT_LT(Clock::now() - signalled, 1s);
    }
    sim::CommandFault hangUp;
    hangUp.hangUp = true;
    modem.SetFault("AT+VER?", hangUp);
    ChildProcess console = Console(modem.PortPath());
    ASSERT_TRUE(console.WriteInput("AT+VER?\n"));
    EXPECT_EQ(console.Wait(kGenerous), 1);
    EXPECT_NE(console.Errors().find("disconnected"), std::string::npos);
}

TEST(Q470ctlConsole, ABusyPortIsStatus3) {
    sim::SimulatedModem modem({});
    ASSERT_TRUE(modem.Start());
    ChildProcess holder = Console(modem.PortPath());
    ASSERT_TRUE(holder.WriteInput("AT\n"));
    ASSERT_FALSE(holder.OutputLines(2).empty());
    ChildProcess second = Console(modem.PortPath());
    second.CloseInput();
    EXPECT_EQ(second.Wait(kGenerous), 3);
    EXPECT_NE(second.Errors().find("Another program"), std::string::npos) << second.Errors();
}

// A line longer than any command is refused on standard error, not sent, and the session goes on. From
// a pipe the last command's final line comes before the session ends, however late the device sends it.
TEST(Q470ctlConsole, AnOverlongLineIsRefusedAndTheLastAnswerIsShownInFull) {
    sim::SimulatedModem modem({});
    ASSERT_TRUE(modem.Start());
    sim::CommandFault lateOk;
    lateOk.trailerDelay = 200ms;
    modem.SetFault("AT+VER?", lateOk);
    ChildProcess console = Console(modem.PortPath());
    ASSERT_TRUE(console.WriteInput("AT\n" + std::string(100000, 'A') + "\nAT+VER?\n"));
    console.CloseInput();
    ASSERT_EQ(console.Wait(kGenerous), 0) << console.Errors();
    const std::vector<std::string> expected = {"> AT", "< OK", "> AT+VER?", "< +VER,1.5.0", "< OK"};
    EXPECT_EQ(Lines(console.Output()), expected);
    EXPECT_EQ(console.Errors(), "q470ctl: not sent: the command is longer than 250 characters\n");
    EXPECT_EQ(modem.Commands(), (std::vector<std::string>{"AT\r", "AT+VER?\r"}));
}

// Endless input: /dev/zero (one line that never ends) and a flood of commands at a device that does not
// answer them. The tool holds only a piece of it (the run has a data size limit it would soon pass) and
// a signal ends it within a second.
TEST(Q470ctlConsole, EndlessInputIsBoundedAndASignalEndsIt) {
    if (kAddressSanitizer) GTEST_SKIP() << "a data size limit leaves AddressSanitizer no room";
    RawDevice silent;
    ASSERT_TRUE(silent.Opened());
    struct Case {
        const char* what;
        const char* input;
        int signal;
    };
    const Case cases[] = {
        {"a line without an end", "cat /dev/zero", SIGINT},
        {"commands faster than answers", "yes AT+QM?", SIGTERM},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // The limit covers the tool's memory with room to spare, thread stacks included (made small
        // here), but not what either input would make it take in by far.
        const std::string script = std::string("ulimit -d 65536 -s 1024; ") + c.input +
                                   R"( | "$0" -p "$1" console >/dev/null & echo $!; wait $!)";
        ChildProcess shell("/bin/sh", {"-c", script, Q470CTL_EXECUTABLE, silent.Path()});
        const pid_t tool = std::stoi(shell.OutputLines(1));
        std::this_thread::sleep_for(500ms);
        const auto signalled = Clock::now();
        ASSERT_EQ(::kill(tool, c.signal), 0);
        EXPECT_EQ(shell.Wait(kGenerous), 128 + c.signal) << shell.Errors();
        EXPECT_LT(Clock::now() - signalled, 1s);
    }
}

}  // namespace
}  // namespace q470::test
