#include "apply_jobs.h"

#include <gtest/gtest.h>

#include "job_code.h"
#include "job_rig.h"
#include "narrow_text.h"

namespace q470::test {
namespace {

using Commands = std::vector<std::string>;

constexpr std::uint16_t kPanIdRead = 1234;

// The device state after identifying and reading a device on this firmware.
DeviceState ReadFrom(std::uint32_t modelKind, const char16_t* firmware, bool quiet = false) {
    DeviceState state;
    state.modelKind = modelKind;
    state.firmwareVersion = firmware;
    state.network.panId = kPanIdRead;
    state.quietMode = quiet ? 1 : 0;
    return state;
}

GeneralSettings Q470RRecord() {
    GeneralSettings record;
    record.opMode = 3;
    record.panId = kPanIdRead;
    record.phyId = 5;
    record.rfChannel = 17;
    record.netRole = 2;
    record.baudRate = 19200;
    record.stopBits = 1;
    record.parity = 2;
    record.dataBits = 8;
    record.rxPullUp = 1;
    return record;
}

const Commands kQ470RGeneral{"AT+OPMODE=3\r", "AT+PANID=1234\r", "AT+PHYID=5\r",
                             "AT+RFCH=17\r",  "AT+NETROLE=2\r",  "AT+UART=19200,1,2,8\r"};

Commands Concat(Commands head, const Commands& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// The commands as a trail lists them: without their carriage return.
Commands Unterminated(const Commands& commands) {
    Commands texts;
    for (const auto& command : commands) texts.push_back(command.substr(0, command.find('\r')));
    return texts;
}

Commands Texts(const std::vector<AppliedStep>& steps) {
    Commands texts;
    for (const auto& step : steps) texts.push_back(step.text);
    return texts;
}

Commands Prefix(const Commands& commands, std::size_t count) {
    return Commands(commands.begin(), commands.begin() + static_cast<std::ptrdiff_t>(count));
}

TEST(ApplyGeneralQ470R, SendsTheRecordAndRxPullUpByFirmware) {
    struct Case {
        const char* firmware;
        std::uint8_t rxPullUp;
        const char* pullUpCommand;   // nullptr: not sent
        bool readFoundNone = false;  // the read job found no RX pull-up on this device
    };
    const Case cases[] = {
        {"1.5.0", 1, "AT+URPU=1\r"}, {"1.5.0", 0, "AT+URPU=0\r"}, {"1.6.2", 5, "AT+URPU=1\r"}, {"1.4.9", 1, nullptr},
        {"2.0.0", 1, "AT+URPU=1\r"}, {"1.5", 1, nullptr},         {"2.0.0", 1, nullptr, true},
    };
    JobRig rig;
    for (const auto& c : cases) {
        rig.modem.UpdateSettings([&](sim::ModemSettings& s) { s.firmware = c.firmware; });
        rig.host.state = ReadFrom(ModelQ470R, NarrowToWide(c.firmware).c_str());
        rig.host.state.rxPullUpMissing = c.readFoundNone;
        rig.input.general = Q470RRecord();
        rig.input.general.rxPullUp = c.rxPullUp;
        EXPECT_EQ(rig.Run(JobApplyGeneralQ470R), JobSucceeded) << c.firmware;
        Commands expected = kQ470RGeneral;
        if (c.pullUpCommand) expected.push_back(c.pullUpCommand);
        expected.push_back("AT+QM=0\r");
        EXPECT_EQ(rig.TakeCommands(), expected) << c.firmware;
    }
}

TEST(ApplyGeneralQ470R, FirstFailureEndsTheJob) {
    struct Case {
        const char* refused;  // keyword the device answers ERROR, or nullptr
        std::uint16_t panId;
        std::size_t sent;  // how many of the settings went out
    };
    const Case cases[] = {
        {"AT+OPMODE=", kPanIdRead, 1}, {nullptr, 0, 1}, {"AT+RFCH=", kPanIdRead, 4}, {"AT+UART=", kPanIdRead, 6},
        {"AT+URPU=", kPanIdRead, 7},
    };
    const Commands all = Concat(kQ470RGeneral, {"AT+URPU=1\r"});
    JobRig rig;
    for (const auto& c : cases) {
        rig.modem.ClearFaults();
        if (c.refused) rig.SetFault(c.refused, sim::CommandFault::Refused());
        rig.host.state = ReadFrom(ModelQ470R, u"1.5.0");
        rig.input.general = Q470RRecord();
        rig.input.general.panId = c.panId;
        const std::string name = c.refused ? c.refused : "PAN ID 0, refused by the link without sending";
        EXPECT_EQ(rig.Run(JobApplyGeneralQ470R), JobFailed) << name;
        EXPECT_EQ(rig.TakeCommands(), Prefix(all, c.sent)) << name;
    }
}

TEST(ApplyGeneralKs, SendsOnlyWhatTheseModelsHave) {
    JobRig rig(sim::FactorySettings(sim::ModemModel::KS410));
    rig.host.state = ReadFrom(ModelKs410, u"1.5.0");
    rig.input.general = Q470RRecord();
    rig.input.general.userPanId = 77;
    EXPECT_EQ(rig.Run(JobApplyGeneralKs), JobSucceeded);
    EXPECT_EQ(rig.TakeCommands(), (Commands{"AT+OPMODE=3\r", "AT+UPANID=77\r", "AT+UART=19200,1,2,8\r", "AT+QM=0\r"}));

    rig.input.general.userPanId = 0xFFFE;  // reserved: refused without sending
    EXPECT_EQ(rig.Run(JobApplyGeneralKs), JobFailed);
    EXPECT_EQ(rig.TakeCommands(), (Commands{"AT+OPMODE=3\r"}));
}

// Quiet mode is switched off around the writes and set to the wanted value at the end. A device
// switched to quiet does not acknowledge, so only a silent answer to AT+QM=0 fails the close.
TEST(QuietModeBracket, ClosingRules) {
    const Commands ksGeneral{"AT+OPMODE=3\r", "AT+UPANID=77\r", "AT+UART=19200,1,2,8\r"};
    const auto ksRecord = [](std::uint8_t quiet) {
        GeneralSettings record = Q470RRecord();
        record.userPanId = 77;
        record.quietMode = quiet;
        return record;
    };
    RunConcurrently({
        [&] {  // quiet device, quiet wanted: the closing AT+QM=1 times out and counts as success
            sim::ModemSettings device;
            device.quietMode = true;
            JobRig rig(device);
            rig.host.state = ReadFrom(ModelQ470R, u"1.4.9", true);
            rig.input.general = Q470RRecord();
            rig.input.general.quietMode = 1;
            EXPECT_EQ(rig.Run(JobApplyGeneralQ470R), JobSucceeded);
            EXPECT_EQ(rig.TakeCommands(), Concat(Concat({"AT+QM=0\r"}, kQ470RGeneral), {"AT+QM=1\r"}));
            EXPECT_EQ(rig.host.state.quietMode, 1);
        },
        [&] {  // AT+QM=0 unanswered at the close: failure
            JobRig rig(sim::FactorySettings(sim::ModemModel::KS410));
            rig.SetFault("AT+QM=", sim::CommandFault::Silent());
            rig.host.state = ReadFrom(ModelKs410, u"");
            rig.input.general = ksRecord(0);
            EXPECT_EQ(rig.Run(JobApplyGeneralKs), JobFailed);
            EXPECT_EQ(rig.TakeCommands(), Concat(ksGeneral, {"AT+QM=0\r"}));
        },
        [&] {  // the GPIO apply restores quiet mode on a quiet device and accepts the missing OK
            sim::ModemSettings device;
            device.quietMode = true;
            JobRig rig(device);
            rig.host.state = ReadFrom(ModelQ470R, u"1.5.0", true);
            rig.input.gpio = NumberedPins();
            EXPECT_EQ(rig.Run(JobApplyGpio), JobSucceeded);
            const Commands commands = rig.TakeCommands();
            ASSERT_EQ(commands.size(), 16u);
            EXPECT_EQ(commands.front(), "AT+QM=0\r");
            EXPECT_EQ(commands.back(), "AT+QM=1\r");
            EXPECT_EQ(rig.host.state.quietMode, 1);
        },
        [&] {  // the answers that come at once
            JobRig rig(sim::FactorySettings(sim::ModemModel::KS410));
            rig.input.general = ksRecord(0);

            rig.SetFault("AT+QM=", sim::CommandFault::Refused());  // ERROR at the close is no failure
            rig.host.state = ReadFrom(ModelKs410, u"");
            EXPECT_EQ(rig.Run(JobApplyGeneralKs), JobSucceeded);
            EXPECT_EQ(rig.TakeCommands(), Concat(ksGeneral, {"AT+QM=0\r"}));

            rig.host.state = ReadFrom(ModelKs410, u"", true);  // ...but at the opening it ends the job
            EXPECT_EQ(rig.Run(JobApplyGeneralKs), JobFailed);
            EXPECT_EQ(rig.TakeCommands(), (Commands{"AT+QM=0\r"}));
            EXPECT_EQ(rig.host.state.quietMode, 1);

            rig.modem.ClearFaults();  // quiet device, answers wanted: the state follows
            rig.modem.UpdateSettings([](sim::ModemSettings& s) { s.quietMode = true; });
            EXPECT_EQ(rig.Run(JobApplyGeneralKs), JobSucceeded);
            EXPECT_EQ(rig.TakeCommands(), Concat(Concat({"AT+QM=0\r"}, ksGeneral), {"AT+QM=0\r"}));
            EXPECT_EQ(rig.host.state.quietMode, 0);
        },
    });
}

// A closing write that never reached the device is not a success, whatever the wanted mode.
TEST(QuietModeBracket, ClosingOnAClosedLinkFails) {
    JobRig rig(sim::FactorySettings(sim::ModemModel::KS410));
    rig.host.state = ReadFrom(ModelKs410, u"");
    rig.input.general = Q470RRecord();
    rig.input.general.userPanId = 77;
    rig.input.general.quietMode = 1;  // the device will not acknowledge it: the job waits
    rig.worker.PushJob(JobApplyGeneralKs, rig.input);
    ASSERT_TRUE(rig.modem.WaitForCommands(4, kHangGuard));
    rig.host.link.Close();
    ASSERT_TRUE(rig.host.WaitForResults(1));
    EXPECT_EQ(rig.host.Results(), (std::vector<PostedResult>{{JobApplyGeneralKs, JobFailed}}));
    EXPECT_EQ(rig.host.state.quietMode, 0);
}

TEST(ApplyGpio, SendsThirteenPinsThenThePeriodicReport) {
    JobRig rig;
    rig.host.state = ReadFrom(ModelQ470R, u"1.5.0");
    GpioSettings& record = rig.input.gpio;
    record = NumberedPins();
    for (std::uint8_t pin = 0; pin < record.pins.size(); ++pin) record.pins[pin].pinConfig = pin % 3;
    record.pins[2] = {2, 2, 1};    // status LED, inverted
    record.pins[3] = {3, 1, 1};    // output high
    record.pins[12] = {12, 1, 0};  // output low
    record.reportInterval = 5000;
    record.sendToPeer = 1;

    EXPECT_EQ(rig.Run(JobApplyGpio), JobSucceeded);
    EXPECT_EQ(rig.TakeCommands(),
              (Commands{"AT+GPIOC=0001,0,0\r", "AT+GPIOC=0002,0,1\r", "AT+GPIOC=0004,2,1\r", "AT+GPIOC=0008,1,1\r",
                        "AT+GPIOC=0010,0,1\r", "AT+GPIOC=0020,0,2\r", "AT+GPIOC=0040,0,0\r", "AT+GPIOC=0080,0,1\r",
                        "AT+GPIOC=0100,0,2\r", "AT+GPIOC=0200,0,0\r", "AT+GPIOC=0400,0,1\r", "AT+GPIOC=0800,0,2\r",
                        "AT+GPIOC=1000,1,0\r", "AT+GPIOP=5000,1\r"}));

    rig.SetFault("AT+GPIOC=0008", sim::CommandFault::Refused());  // the first unacknowledged pin ends the job
    EXPECT_EQ(rig.Run(JobApplyGpio), JobFailed);
    EXPECT_EQ(rig.TakeCommands(),
              (Commands{"AT+GPIOC=0001,0,0\r", "AT+GPIOC=0002,0,1\r", "AT+GPIOC=0004,2,1\r", "AT+GPIOC=0008,1,1\r"}));
}

// --- configuration file items ---

SettingItemList Q470RItems(std::uint16_t panId) {
    return {OpModeItem(1),
            NetRoleItem(2),
            RfChannelItem(10),
            PanIdItem(panId),
            UartItem(38400, 1, 0, 8),
            GpioConfigItem(5, 1, 1),
            GpioPeriodicItem(1000, true)};
}

const Commands kQ470RItemCommands{"AT+OPMODE=1\r",         "AT+NETROLE=2\r",      "AT+RFCH=10\r",     "AT+PANID=1234\r",
                                  "AT+UART=38400,0,1,8\r", "AT+GPIOC=0020,1,1\r", "AT+GPIOP=1000,1\r"};

TEST(ApplyFileQ470R, SendsItsItemsInListOrderAndSkipsOthers) {
    JobRig rig;
    rig.host.state = ReadFrom(ModelQ470R, u"1.4.0");
    rig.input.fileItems = Q470RItems(kPanIdRead);
    rig.input.fileItems.insert(rig.input.fileItems.begin() + 2, UserPanIdItem(99));
    EXPECT_EQ(rig.Run(JobApplyFileQ470R), JobSucceeded);
    EXPECT_EQ(rig.TakeCommands(), kQ470RItemCommands);

    // Quiet items send nothing during the walk; the last one is what the close writes.
    rig.input.fileItems = {QuietModeItem(true), OpModeItem(1), QuietModeItem(false)};
    EXPECT_EQ(rig.Run(JobApplyFileQ470R), JobSucceeded);
    EXPECT_EQ(rig.TakeCommands(), (Commands{"AT+OPMODE=1\r", "AT+QM=0\r"}));
}

TEST(ApplyFileQ470R, PostsTheCodeOfTheFirstFailingItem) {
    struct Case {
        const char* refused;
        std::uint16_t panId;
        std::int32_t result;
        std::size_t sent;
    };
    const Case cases[] = {
        {"AT+OPMODE=", kPanIdRead, FileOpModeFailed, 1},
        {"AT+NETROLE=", kPanIdRead, FileNetRoleFailed, 2},
        {"AT+RFCH=", kPanIdRead, FileRfChannelFailed, 3},
        {"AT+PANID=", kPanIdRead, FilePanIdFailed, 4},
        {nullptr, 0, FilePanIdFailed, 3},  // refused by the link without sending
        {"AT+UART=", kPanIdRead, FileUartFailed, 5},
        {"AT+GPIOC=", kPanIdRead, FileGpioConfigFailed, 6},
        {"AT+GPIOP=", kPanIdRead, FileGpioPeriodicFailed, 7},
    };
    JobRig rig;
    for (const auto& c : cases) {
        rig.modem.ClearFaults();
        if (c.refused) rig.SetFault(c.refused, sim::CommandFault::Refused());
        rig.host.state = ReadFrom(ModelQ470R, u"1.5.0");
        // The quiet item makes the close visible: it runs after a failed item too.
        rig.input.fileItems = Q470RItems(c.panId);
        rig.input.fileItems.insert(rig.input.fileItems.begin(), QuietModeItem(false));
        const std::string name = c.refused ? c.refused : "PAN ID 0";
        EXPECT_EQ(rig.Run(JobApplyFileQ470R), c.result) << name;
        const Commands sent = rig.TakeCommands();
        EXPECT_EQ(sent, Concat(Prefix(kQ470RItemCommands, c.sent), {"AT+QM=0\r"})) << name;
        // The trail: what was acknowledged before the failed item, the failed item (even one the link
        // refused to send), then the close that still ran.
        const std::size_t acknowledged = c.refused ? c.sent - 1 : c.sent;
        EXPECT_EQ(Texts(rig.host.trail.acknowledged),
                  Concat(Unterminated(Prefix(kQ470RItemCommands, acknowledged)), {"AT+QM=0"}))
            << name;
        ASSERT_TRUE(rig.host.trail.failed.has_value()) << name;
        EXPECT_EQ(rig.host.trail.failed->text, c.refused ? Unterminated({sent[c.sent - 1]}).front() : "AT+PANID=0")
            << name;
    }
}

// What a job acknowledged is kept whole on success, and a job that fails at once has written nothing.
TEST(ApplyTrail, ListsEveryAcknowledgedSettingAndTheFailedStep) {
    JobRig rig;
    rig.host.state = ReadFrom(ModelQ470R, u"1.5.0", true);
    rig.input.general = Q470RRecord();
    rig.modem.UpdateSettings([](sim::ModemSettings& s) { s.quietMode = true; });
    EXPECT_EQ(rig.Run(JobApplyGeneralQ470R), JobSucceeded);
    rig.TakeCommands();
    EXPECT_EQ(Texts(rig.host.trail.acknowledged),
              Concat(Concat({"AT+QM=0"}, Unterminated(kQ470RGeneral)), {"AT+URPU=1", "AT+QM=0"}));
    EXPECT_FALSE(rig.host.trail.failed.has_value());

    rig.host.state.quietMode = 1;
    rig.modem.UpdateSettings([](sim::ModemSettings& s) { s.quietMode = true; });
    rig.SetFault("AT+QM=", sim::CommandFault::Refused());
    EXPECT_EQ(rig.Run(JobApplyGpio), JobFailed);
    EXPECT_TRUE(rig.host.trail.acknowledged.empty());
    ASSERT_TRUE(rig.host.trail.failed.has_value());
    EXPECT_EQ(rig.host.trail.failed->text, "AT+QM=0");
    EXPECT_EQ(rig.host.trail.failed->command, CmdQuietModeSet);
}

TEST(ApplyFileQ470R, ClearsAssociationsAfterAPanIdChangeOnOldFirmware) {
    struct Case {
        const char16_t* firmware;
        SettingItemList items;
        const char* refused;
        std::int32_t result;
        Commands commands;
    };
    const Case cases[] = {
        {u"1.4.0",
         {PanIdItem(4321), QuietModeItem(false)},
         nullptr,
         JobSucceeded,
         {"AT+PANID=4321\r", "AT+QM=0\r", "AT+ASSOCCLR\r"}},
        {u"1.4.1", {PanIdItem(4321), QuietModeItem(false)}, nullptr, JobSucceeded, {"AT+PANID=4321\r", "AT+QM=0\r"}},
        {u"1.4.0", {PanIdItem(kPanIdRead)}, nullptr, JobSucceeded, {"AT+PANID=1234\r"}},
        {u"1.4.0",
         {PanIdItem(4321), UartItem(9600, 0, 0, 8)},
         "AT+UART=",
         FileUartFailed,
         {"AT+PANID=4321\r", "AT+UART=9600,0,0,8\r", "AT+ASSOCCLR\r"}},
    };
    JobRig rig;
    for (const auto& c : cases) {
        const std::string name = WideToNarrow(c.firmware) + " " + c.commands.front();
        rig.modem.ClearFaults();
        if (c.refused) rig.SetFault(c.refused, sim::CommandFault::Refused());
        rig.host.state = ReadFrom(ModelQ470R, c.firmware);
        rig.input.fileItems = c.items;
        EXPECT_EQ(rig.Run(JobApplyFileQ470R), c.result) << name;
        EXPECT_EQ(rig.TakeCommands(), c.commands) << name;
        EXPECT_EQ(rig.host.state.network.panId, kPanIdRead);  // still the value read
    }
}

TEST(ApplyFileKs, SendsOnlyOperationModeUartAndUserPanId) {
    JobRig rig(sim::FactorySettings(sim::ModemModel::KS400));
    rig.host.state = ReadFrom(ModelKs400, u"");
    rig.input.fileItems = {
        PanIdItem(5),  RfChannelItem(3),        NetRoleItem(1),    GpioConfigItem(1, 1, 1), GpioPeriodicItem(0, false),
        OpModeItem(2), UartItem(9600, 0, 0, 8), UserPanIdItem(77), QuietModeItem(false)};
    EXPECT_EQ(rig.Run(JobApplyFileKs), JobSucceeded);
    EXPECT_EQ(rig.TakeCommands(), (Commands{"AT+OPMODE=2\r", "AT+UART=9600,0,0,8\r", "AT+UPANID=77\r", "AT+QM=0\r"}));

    struct Case {
        const char* refused;
        std::uint16_t userPanId;
        std::int32_t result;
        std::size_t sent;
    };
    const Case cases[] = {
        {"AT+OPMODE=", 77, FileOpModeFailed, 1},
        {"AT+UART=", 77, FileUartFailed, 2},
        {"AT+UPANID=", 77, FileUserPanIdFailed, 3},
        {nullptr, 0, FileUserPanIdFailed, 2},
    };
    const Commands all{"AT+OPMODE=2\r", "AT+UART=9600,0,0,8\r", "AT+UPANID=77\r"};
    for (const auto& c : cases) {
        rig.modem.ClearFaults();
        if (c.refused) rig.SetFault(c.refused, sim::CommandFault::Refused());
        rig.input.fileItems = {OpModeItem(2), UartItem(9600, 0, 0, 8), UserPanIdItem(c.userPanId)};
        const std::string name = c.refused ? c.refused : "user PAN ID 0";
        EXPECT_EQ(rig.Run(JobApplyFileKs), c.result) << name;
        EXPECT_EQ(rig.TakeCommands(), Prefix(all, c.sent)) << name;
    }
}

TEST(RestartAndFactoryReset, AlwaysSucceed) {
    struct Case {
        JobCode job;
        const char* keyword;
        const char* command;
    };
    const Case cases[] = {{JobRestart, "ATZ", "ATZ\r"}, {JobFactoryReset, "AT&F", "AT&F\r"}};
    std::vector<std::function<void()>> runs;
    for (const auto& c : cases) {
        for (const bool answered : {true, false}) {
            runs.push_back([c, answered] {
                JobRig rig;
                if (!answered) rig.SetFault(c.keyword, sim::CommandFault::Silent());
                EXPECT_EQ(rig.Run(c.job), JobSucceeded) << c.keyword << (answered ? " answered" : " silent");
                EXPECT_EQ(rig.TakeCommands(), (Commands{c.command}));
            });
        }
    }
    RunConcurrently(runs);
}

}  // namespace
}  // namespace q470::test
