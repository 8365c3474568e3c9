#include "command_line.h"

#include <gtest/gtest.h>

#include "exit_status.h"

namespace q470 {
namespace {

TEST(CommandLine, OptionsMayStandOnEitherSideOfTheCommand) {
    const CommandLine line({"-p", "/dev/ttyUSB0", "read", "--json", "--port", "/dev/ttyUSB1", "-b", "115200",
                            "--parity", "even", "--stop-bits", "2", "--data-bits", "7"});
    ASSERT_EQ(line.Result(), CommandLine::Outcome::Run) << line.Error();
    const CliRequest& request = line.Request();
    EXPECT_EQ(request.command, CliCommand::Read);
    EXPECT_EQ(request.ports, (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyUSB1"}));
    EXPECT_TRUE(request.json);
    // The serial channel's codes: even parity 2, two stop bits 2.
    EXPECT_EQ(request.line.baudRate, 115200u);
    EXPECT_EQ(request.line.parity, 2);
    EXPECT_EQ(request.line.stopBits, 2);
    EXPECT_EQ(request.line.dataBits, 7);

    const CommandLine gpio({"--sim", "Q470R", "gpio", "2=alt:1", "--interval", "1000", "--send-to-peer", "1"});
    ASSERT_EQ(gpio.Result(), CommandLine::Outcome::Run) << gpio.Error();
    EXPECT_EQ(gpio.Request().arguments, std::vector<std::string>{"2=alt:1"});
    EXPECT_EQ(gpio.Request().interval, "1000");
    EXPECT_EQ(gpio.Request().sendToPeer, "1");

    const CommandLine at({"-p", "/dev/ttyS0", "at", "AT+VER?", "--timeout", "500", "--no-identify"});
    ASSERT_EQ(at.Result(), CommandLine::Outcome::Run) << at.Error();
    EXPECT_EQ(at.Request().arguments, std::vector<std::string>{"AT+VER?"});
    EXPECT_EQ(at.Request().atTimeoutMs, 500u);
    EXPECT_FALSE(at.Request().identify);

    // discover needs no port: without one it searches every listed port.
    const CommandLine discover({"discover", "--thorough", "--json"});
    ASSERT_EQ(discover.Result(), CommandLine::Outcome::Run) << discover.Error();
    EXPECT_EQ(discover.Request().command, CliCommand::Discover);
    EXPECT_TRUE(discover.Request().thorough);
    EXPECT_TRUE(discover.Request().ports.empty());

    const CommandLine verify({"-p", "/dev/ttyS0", "set", "channel=101", "--verify"});
    ASSERT_EQ(verify.Result(), CommandLine::Outcome::Run) << verify.Error();
    EXPECT_TRUE(verify.Request().verify);
    const CommandLine restart({"-p", "/dev/ttyS0", "gpio", "2=alt:1", "--restart"});
    ASSERT_EQ(restart.Result(), CommandLine::Outcome::Run) << restart.Error();
    EXPECT_TRUE(restart.Request().restart);
    EXPECT_FALSE(restart.Request().verify);
}

TEST(CommandLine, UsageErrorsNameTheValueAndWhatIsAllowed) {
    struct Case {
        std::vector<std::string> args;
        std::vector<std::string> inMessage;
    };
    const Case cases[] = {
        {{"-p", "/dev/x", "blink"}, {"unknown command 'blink'", "identify", "factory-reset"}},
        {{"-p", "/dev/x", "-b", "1200", "read"}, {"--baud 1200", "2400", "230400"}},
        {{"-p", "/dev/x", "--parity", "mark", "read"}, {"--parity mark", "none, odd, even"}},
        {{"-p", "/dev/x", "--stop-bits", "1.5", "read"}, {"--stop-bits 1.5", "1, 2"}},
        {{"-p", "/dev/x", "--data-bits", "6", "read"}, {"--data-bits 6", "7, 8"}},
        {{"--sim", "Q470", "read"}, {"--sim Q470", "KELDAN-KS410"}},
        {{"-p", "/dev/x", "--frobnicate", "read"}, {"unknown option --frobnicate"}},
        {{"-p", "/dev/x", "-z", "read"}, {"unknown option -z"}},
        {{"-p", "/dev/x", "read", "-b"}, {"-b needs a value"}},
        {{"read"}, {"needs --port NAME or --sim MODEL"}},
        {{"-p", "/dev/x", "--sim", "Q470R", "read"}, {"cannot be used together"}},
        {{"-p", "/dev/x", "-p", "/dev/x", "read"}, {"/dev/x is given twice"}},
        {{"--sim-firmware", "1.4.0", "-p", "/dev/x", "read"}, {"--sim-firmware needs --sim"}},
        {{"-p", "/dev/x", "read", "--interval", "1000"}, {"--interval belongs to the gpio command"}},
        {{"-p", "/dev/x", "read", "--timeout", "100"}, {"--timeout belongs to the at and console commands"}},
        {{"-p", "/dev/x", "at", "AT", "--timeout", "0"}, {"--timeout 0", "1 to 600000 ms"}},
        {{"-p", "/dev/x", "save"}, {"save takes 1 argument, not 0"}},
        {{"-p", "/dev/x", "set"}, {"set takes at least 1 argument, not 0"}},
        {{"-p", "/dev/x", "read", "extra"}, {"read takes 0 arguments, not 1"}},
        {{"-p", "/dev/x", "ports"}, {"ports takes no --port or --sim"}},
        {{"-p", "/dev/x", "-p", "/dev/y", "console"}, {"console talks to one port at a time"}},
        {{"-p", "/dev/x", "console", "--json"}, {"no JSON"}},
        {{"ports", "--trace"}, {"nothing to trace"}},
        {{"-p", "/dev/x", "read", "--verify"}, {"--verify belongs to the set, gpio and apply commands"}},
        {{"-p", "/dev/x", "apply", "f.json", "--restart"}, {"apply restarts the device anyway"}},
        {{"-p", "/dev/x", "restart", "--restart"}, {"--restart belongs to the set and gpio commands"}},
        {{"-p", "/dev/x", "read", "--thorough"}, {"--thorough belongs to the discover command"}},
        {{"-p", "/dev/x", "--sim", "Q470R", "discover"}, {"cannot be used together"}},
        {{}, {"no command given"}},
    };
    for (const auto& c : cases) {
        const CommandLine line(c.args);
        std::string joined;
        for (const auto& arg : c.args) joined += arg + " ";
        ASSERT_EQ(line.Result(), CommandLine::Outcome::UsageError) << joined;
        for (const auto& part : c.inMessage) EXPECT_NE(line.Error().find(part), std::string::npos) << line.Error();
    }
}

TEST(CommandLine, HelpAndVersionWinOverTheRest) {
    EXPECT_EQ(CommandLine({"--help"}).Result(), CommandLine::Outcome::Help);
    EXPECT_EQ(CommandLine({"read", "-h"}).Result(), CommandLine::Outcome::Help);
    EXPECT_EQ(CommandLine({"--version"}).Result(), CommandLine::Outcome::Version);
}

TEST(ExitStatus, TheWorstOfSeveralPortsWins) {
    const int ordered[] = {InterruptedStatus(2), ExitPortFailed, ExitDeviceFailed, ExitFileFailed, ExitUsage, ExitOk};
    for (std::size_t worse = 0; worse < std::size(ordered); ++worse) {
        for (std::size_t better = worse; better < std::size(ordered); ++better) {
            EXPECT_EQ(WorseExitStatus(ordered[worse], ordered[better]), ordered[worse]) << worse << " " << better;
            EXPECT_EQ(WorseExitStatus(ordered[better], ordered[worse]), ordered[worse]) << worse << " " << better;
        }
    }
    EXPECT_EQ(InterruptedStatus(2), 130);
    EXPECT_EQ(InterruptedStatus(15), 143);
}

}  // namespace
}  // namespace q470
