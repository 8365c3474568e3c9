#include "read_jobs.h"

#include <gtest/gtest.h>

#include "job_code.h"
#include "job_rig.h"
#include "narrow_text.h"

namespace q470::test {
namespace {

using Commands = std::vector<std::string>;

const Commands kIdentify{"AT\r", "AT+QM?\r", "AT+MODELNAME?\r"};
const Commands kReadQ470R{"AT+INFO?\r", "AT+NETINFO?\r", "AT+GPIOC?\r", "AT+GPIOP?\r", "AT+VER?\r"};

// A device state in which every field holds a value no read would produce.
DeviceState Sentinel() {
    DeviceState state;
    state.info = {0x1111111111111111ull, 9, 9, 9, 9};
    state.network = {9, 9, 9999, 777, 9, 9};
    for (std::uint8_t pin = 0; pin < state.gpio.size(); ++pin) state.gpio[pin] = {pin, 2, 2};
    state.reportInterval = 4242;
    state.sendRemote = 0x0101;
    state.quietMode = 1;
    state.firmwareVersion = u"0.0.1";
    state.modelKind = ModelKs400;
    state.rxPullUp = 7;
    state.rxPullUpMissing = true;
    return state;
}

void ExpectSameState(const DeviceState& actual, const DeviceState& expected) {
    EXPECT_EQ(actual.info.extendedAddress, expected.info.extendedAddress);
    EXPECT_EQ(actual.info.mode, expected.info.mode);
    EXPECT_EQ(actual.info.role, expected.info.role);
    EXPECT_EQ(actual.info.linkState, expected.info.linkState);
    EXPECT_EQ(actual.info.normalMode, expected.info.normalMode);
    EXPECT_EQ(actual.network.phyId, expected.network.phyId);
    EXPECT_EQ(actual.network.rfChannel, expected.network.rfChannel);
    EXPECT_EQ(actual.network.panId, expected.network.panId);
    EXPECT_EQ(actual.network.userPanId, expected.network.userPanId);
    EXPECT_EQ(actual.network.channelMode, expected.network.channelMode);
    for (std::size_t pin = 0; pin < expected.gpio.size(); ++pin) {
        EXPECT_EQ(actual.gpio[pin].pin, expected.gpio[pin].pin) << "pin " << pin;
        EXPECT_EQ(actual.gpio[pin].ioMode, expected.gpio[pin].ioMode) << "pin " << pin;
        EXPECT_EQ(actual.gpio[pin].pinConfig, expected.gpio[pin].pinConfig) << "pin " << pin;
    }
    EXPECT_EQ(actual.reportInterval, expected.reportInterval);
    EXPECT_EQ(actual.sendRemote, expected.sendRemote);
    EXPECT_EQ(actual.quietMode, expected.quietMode);
    EXPECT_EQ(actual.firmwareVersion, expected.firmwareVersion);
    EXPECT_EQ(actual.modelKind, expected.modelKind);
    EXPECT_EQ(actual.rxPullUp, expected.rxPullUp);
    EXPECT_EQ(actual.rxPullUpMissing, expected.rxPullUpMissing);
}

TEST(Identify, SetsTheModelKindFromTheExactName) {
    struct Case {
        sim::ModemModel model;
        std::uint32_t kind;
    };
    const Case cases[] = {
        {sim::ModemModel::Q470R, ModelQ470R},
        {sim::ModemModel::KS410, ModelKs410},
        {sim::ModemModel::KS400, ModelKs400},
    };
    JobRig rig;
    for (const auto& c : cases) {
        rig.modem.UpdateSettings([&](sim::ModemSettings& s) { s.model = c.model; });
        rig.host.state.modelKind = 0;
        rig.host.state.quietMode = 1;
        EXPECT_EQ(rig.Run(JobIdentify), JobSucceeded);
        EXPECT_EQ(rig.TakeCommands(), kIdentify);
        EXPECT_EQ(rig.host.state.modelKind, c.kind);
        EXPECT_EQ(rig.host.state.quietMode, 0);
    }
}

TEST(Identify, UnknownModelNameChangesNothing) {
    JobRig rig;
    for (const char* name : {"q470r", "Q470R ", "Q470", "keldan-ks410", "KELDAN-KS410 ", "KELDAN-KS40"}) {
        rig.modem.UpdateSettings([&](sim::ModemSettings& s) { s.modelName = name; });
        rig.host.state.modelKind = ModelKs410;
        rig.host.state.quietMode = 1;  // the device is not quiet: a change would show
        EXPECT_EQ(rig.Run(JobIdentify), IdentifyUnknownModel) << '"' << name << '"';
        EXPECT_EQ(rig.TakeCommands(), kIdentify);
        EXPECT_EQ(rig.host.state.modelKind, ModelKs410);
        EXPECT_EQ(rig.host.state.quietMode, 1);
    }
}

TEST(Identify, RepeatsAtOnceAfterError) {
    JobRig rig;
    rig.modem.SetFaultPolicy([](const std::string& command) {
        sim::CommandFault fault;
        fault.answerError = command == "AT";
        return fault;
    });
    EXPECT_EQ(rig.Run(JobIdentify), JobSucceeded);
    EXPECT_EQ(rig.TakeCommands(), (Commands{"AT\r", "AT\r", "AT+QM?\r", "AT+MODELNAME?\r"}));
}

// A quiet device lets AT time out and is still identified; without the quiet-mode or the model-name
// answer the job fails.
TEST(Identify, DependsOnTheQuietModeAndModelNameAnswersOnly) {
    RunConcurrently({
        [] {
            sim::ModemSettings quiet;
            quiet.quietMode = true;
            JobRig rig(quiet);
            EXPECT_EQ(rig.Run(JobIdentify), JobSucceeded);
            EXPECT_EQ(rig.TakeCommands(), kIdentify);
            EXPECT_EQ(rig.host.state.quietMode, 1);
            EXPECT_EQ(rig.host.state.modelKind, ModelQ470R);
        },
        [] {
            JobRig rig;
            rig.SetFault("AT+QM?", sim::CommandFault::Refused());  // a query answered ERROR ends by time-out
            rig.host.state.modelKind = ModelKs400;
            EXPECT_EQ(rig.Run(JobIdentify), JobFailed);
            EXPECT_EQ(rig.TakeCommands(), (Commands{"AT\r", "AT+QM?\r"}));
            EXPECT_EQ(rig.host.state.modelKind, ModelKs400);
        },
        [] {
            JobRig rig;
            rig.SetFault("AT+MODELNAME?", sim::CommandFault::Silent());
            rig.input.line.baudRate = 2400;  // the model name is waited for 533 ms only
            rig.host.state.modelKind = ModelKs400;
            EXPECT_EQ(rig.Run(JobIdentify), JobFailed);
            EXPECT_EQ(rig.TakeCommands(), kIdentify);
            EXPECT_EQ(rig.host.state.modelKind, ModelKs400);
        },
    });
}

TEST(ReadQ470R, StoresEveryAnswer) {
    sim::ModemSettings device;
    device.extendedAddress = 0x00124B001A2B3C4Dull;
    device.opMode = 4;
    device.netRole = 2;
    device.linkActive = false;
    device.normalMode = false;
    device.phyId = 7;
    device.rfChannel = 42;
    device.panId = 0x1234;
    device.frequencyHopping = true;
    device.rxPullUp = true;
    for (std::uint8_t pin = 0; pin < device.gpio.size(); ++pin) device.gpio[pin] = {1, std::uint8_t(pin % 2)};
    device.reportInterval = 5000;
    device.sendRemote = true;
    JobRig rig(device);
    rig.host.state.network.userPanId = 777;

    EXPECT_EQ(rig.Run(JobReadQ470R), JobSucceeded);
    Commands expected = kReadQ470R;
    expected.push_back("AT+URPU?\r");
    EXPECT_EQ(rig.TakeCommands(), expected);

    const DeviceState& state = rig.host.state;
    EXPECT_EQ(state.info.extendedAddress, 0x00124B001A2B3C4Dull);
    EXPECT_EQ(state.info.mode, 4);
    EXPECT_EQ(state.info.role, 2);
    EXPECT_EQ(state.info.linkState, 1);
    EXPECT_EQ(state.info.normalMode, 0);
    EXPECT_EQ(state.network.phyId, 7);
    EXPECT_EQ(state.network.rfChannel, 42);
    EXPECT_EQ(state.network.panId, 0x1234);
    EXPECT_EQ(state.network.userPanId, 0);
    EXPECT_EQ(state.network.channelMode, 1);
    for (std::uint8_t pin = 0; pin < state.gpio.size(); ++pin) {
        EXPECT_EQ(state.gpio[pin].pin, pin);
        EXPECT_EQ(state.gpio[pin].ioMode, 1);
        EXPECT_EQ(state.gpio[pin].pinConfig, pin % 2);
    }
    EXPECT_EQ(state.reportInterval, 5000u);
    EXPECT_EQ(state.sendRemote, 1u);
    EXPECT_EQ(state.firmwareVersion, u"1.5.0");
    EXPECT_EQ(state.rxPullUp, 1);
}

TEST(ReadQ470R, AsksForRxPullUpOnlyWhenTheFirmwareHasIt) {
    struct Case {
        const char* firmware;
        bool asks;
    };
    const Case cases[] = {{"1.4.9", false}, {"1.5.0", true}, {"2.0.0", true}, {"1.5", false}, {"1.12.3", true}};
    JobRig rig;
    for (const auto& c : cases) {
        rig.modem.UpdateSettings([&](sim::ModemSettings& s) {
            s.firmware = c.firmware;
            s.rxPullUp = true;
        });
        rig.host.state.rxPullUp = 7;
        rig.host.state.rxPullUpMissing = true;  // an earlier device's finding does not stick
        EXPECT_EQ(rig.Run(JobReadQ470R), JobSucceeded) << c.firmware;
        Commands expected = kReadQ470R;
        if (c.asks) expected.push_back("AT+URPU?\r");
        EXPECT_EQ(rig.TakeCommands(), expected) << c.firmware;
        EXPECT_EQ(rig.host.state.rxPullUp, c.asks ? 1 : 0) << c.firmware;
        EXPECT_FALSE(rig.host.state.rxPullUpMissing) << c.firmware;
        EXPECT_EQ(rig.host.state.firmwareVersion, NarrowToWide(c.firmware));
    }
}

// Devices on firmware that only version order gives RX pull-up may not know AT+URPU?: a refusal or
// silence there means the device has none. Where the first rule already asked (minor 5 and above) it
// still fails the read, and a hang-up fails it everywhere.
TEST(ReadQ470R, UnansweredRxPullUpQueryMeansNoneOnlyOnFirmwareAddedByVersionOrder) {
    struct Case {
        const char* firmware;
        sim::CommandFault fault;
        bool succeeds;
    };
    sim::CommandFault hangUp;
    hangUp.hangUp = true;
    const Case cases[] = {
        {"2.0.0", sim::CommandFault::Refused(), true},
        {"10.0.0", sim::CommandFault::Silent(), true},
        {"1.5.0", sim::CommandFault::Refused(), false},
        {"1.12.3", sim::CommandFault::Silent(), false},
        {"2.3.1", hangUp, false},
    };
    std::vector<std::function<void()>> runs;
    for (const auto& c : cases) {
        runs.push_back([&c] {
            JobRig rig(sim::FactorySettings(sim::ModemModel::Q470R, c.firmware));
            rig.SetFault("AT+URPU?", c.fault);
            DeviceState before = Sentinel();
            before.rxPullUpMissing = false;
            rig.host.state = before;
            EXPECT_EQ(rig.Run(JobReadQ470R), c.succeeds ? JobSucceeded : JobFailed) << c.firmware;
            Commands expected = kReadQ470R;
            expected.push_back("AT+URPU?\r");
            EXPECT_EQ(rig.TakeCommands(), expected) << c.firmware;
            if (!c.succeeds) return ExpectSameState(rig.host.state, before);
            EXPECT_TRUE(rig.host.state.rxPullUpMissing) << c.firmware;
            EXPECT_EQ(rig.host.state.rxPullUp, 0) << c.firmware;
            EXPECT_EQ(rig.host.state.firmwareVersion, NarrowToWide(c.firmware));
        });
    }
    RunConcurrently(runs);
}

TEST(ReadQ470R, FailedReadLeavesTheDeviceStateAsItWas) {
    JobRig rig;
    rig.SetFault("AT+VER?", sim::CommandFault::Refused());
    rig.host.state = Sentinel();
    EXPECT_EQ(rig.Run(JobReadQ470R), JobFailed);
    EXPECT_EQ(rig.TakeCommands(), kReadQ470R);
    ExpectSameState(rig.host.state, Sentinel());
}

TEST(ReadKs, StoresIdentityNetworkVersionAndUserPanId) {
    sim::ModemSettings device = sim::FactorySettings(sim::ModemModel::KS410);
    device.userPanId = 0xBEEF;
    device.panId = 321;
    device.firmware = "2.1.0";
    JobRig rig(device);
    rig.host.state = Sentinel();

    EXPECT_EQ(rig.Run(JobReadKs), JobSucceeded);
    EXPECT_EQ(rig.TakeCommands(), (Commands{"AT+INFO?\r", "AT+NETINFO?\r", "AT+VER?\r", "AT+UPANID?\r"}));
    const DeviceState& state = rig.host.state;
    EXPECT_EQ(state.info.extendedAddress, device.extendedAddress);
    EXPECT_EQ(state.network.panId, 321);
    EXPECT_EQ(state.network.userPanId, 0xBEEF);
    EXPECT_EQ(state.firmwareVersion, u"2.1.0");

    // Nothing the KELDAN models lack is touched.
    DeviceState expected = Sentinel();
    expected.info = state.info;
    expected.network = state.network;
    expected.firmwareVersion = state.firmwareVersion;
    ExpectSameState(state, expected);
}

}  // namespace
}  // namespace q470::test
