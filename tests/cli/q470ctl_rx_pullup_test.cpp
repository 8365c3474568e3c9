// A Q470R on firmware that only version order gives RX pull-up (2.0.0 and the like) which does not know
// AT+URPU?: the tool reads it, reports no RX pull-up, refuses to set one and never sends it. Each read
// waits out the query's time-out, as it does on such a device.

#include <gtest/gtest.h>

#include "cli_rig.h"

namespace q470::test {
namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Knows RX pull-up in its settings, but refuses to be asked for it.
void WithoutRxPullUpQuery(CliRig& rig) {
    rig.modem.UpdateSettings([](sim::ModemSettings& s) { s.rxPullUp = true; });
    rig.modem.SetFault("AT+URPU?", sim::CommandFault::Refused());
}

TEST(RxPullUpMissing, ReadSucceedsWithoutItAndSetRefusesIt) {
    CliRig rig(Q470RFirmware("2.0.0"));
    WithoutRxPullUpQuery(rig);
    const CliRun read = rig.Run({"--json", "read"});
    ASSERT_EQ(read.status, 0) << read.err;
    const auto document = ParseJson(read.out);
    const auto& settings = PortRecord(document)["settings"];
    EXPECT_TRUE(settings.HasMember("quiet"));
    EXPECT_FALSE(settings.HasMember("rx-pullup"));
    EXPECT_EQ(rig.TakeCommands(), Joined({IdentifyCommands(), ReadQ470RCommands()}));

    const CliRun set = rig.Run({"--json", "set", "rx-pullup=on"});
    EXPECT_EQ(set.status, 2);
    EXPECT_STREQ(PortRecord(ParseJson(set.out))["outcome"].GetString(), "invalid-setting");
    EXPECT_TRUE(Contains(set.err,
                         "rx-pullup: this device (firmware '2.0.0') did not answer AT+URPU?, so it has no "
                         "RX pull-up setting"))
        << set.err;
    EXPECT_EQ(rig.TakeCommands(), Joined({IdentifyCommands(), ReadQ470RCommands()})) << "nothing written";
}

// The write leaves RX pull-up out, and the read-back after the restart neither fails on the query nor
// finds a difference in it.
TEST(RxPullUpMissing, SetAndVerifyLeaveItOut) {
    CliRig rig(Q470RFirmware("2.0.0"));
    rig.modem.SetReadyDelay(std::chrono::milliseconds(1));
    WithoutRxPullUpQuery(rig);
    const CliRun set = rig.Run({"--json", "set", "mode=multi", "--verify"});
    ASSERT_EQ(set.status, 0) << set.err;
    const auto document = ParseJson(set.out);
    const auto& port = PortRecord(document);
    for (const auto& sent : port["sent"].GetArray())
        EXPECT_FALSE(Contains(sent.GetString(), "URPU=")) << sent.GetString();
    EXPECT_STREQ(port["verify"]["outcome"].GetString(), "verified");
    for (const auto& check : port["verify"]["settings"].GetArray()) {
        EXPECT_STRNE(check["setting"].GetString(), "rx-pullup");
    }
    EXPECT_FALSE(port["settings"].HasMember("rx-pullup"));
}

}  // namespace
}  // namespace q470::test
