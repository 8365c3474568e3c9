#include "modem_device.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

namespace q470::sim {
namespace {

const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";
const std::string kReady = "\r\n+READY\r\n";

std::string Line(const std::string& text) {
    return "\r\n" + text + "\r\n";
}

std::string GpioTable(const std::string& lastLine) {
    std::string lines;
    for (int pin = 0; pin < 12; ++pin) lines += Line("+GPIOC," + std::to_string(pin) + ",0,0");
    return lines + Line(lastLine);
}

auto Fields(const ModemSettings& s) {
    std::vector<std::pair<int, int>> pins;
    for (const auto& pin : s.gpio) pins.emplace_back(pin.ioMode, pin.pinConfig);
    return std::make_tuple(s.model, s.modelName, s.firmware, s.extendedAddress, s.opMode, s.netRole, s.linkActive,
                           s.normalMode, s.phyId, s.rfChannel, s.panId, s.userPanId, s.frequencyHopping, s.baudRate,
                           s.stopBits, s.parity, s.dataBits, s.quietMode, s.rxPullUp, pins, s.reportInterval,
                           s.sendRemote);
}

struct Case {
    std::string command;
    std::string answer;  // data lines and result line, exactly
};

// Runs each command on a fresh device: the answer must match, and a refused command must leave every
// setting as it was.
void ExpectAnswers(ModemModel model, const std::vector<Case>& cases) {
    for (const auto& c : cases) {
        ModemDevice device(FactorySettings(model));
        const auto before = Fields(device.Settings());
        const ModemReply reply = device.Handle(c.command);
        EXPECT_EQ(reply.Bytes(), c.answer) << ModelName(model) << " " << c.command;
        EXPECT_EQ(reply.laterLine, "") << c.command;
        if (c.answer == kError) {
            EXPECT_EQ(Fields(device.Settings()), before) << c.command;
        }
    }
}

TEST(ModemDevice, Q470RQueries) {
    ExpectAnswers(ModemModel::Q470R, {
                                         {"AT", kOk},
                                         {"AT+INFO?", Line("+INFO,00124B001A2B3C4D,P2PCMD,COORD,ACT,1") + kOk},
                                         {"AT+NETINFO?", Line("+NETINFO,12,99,1234,BC") + kOk},
                                         {"AT+VER?", Line("+VER,1.5.0") + kOk},
                                         {"AT+QM?", Line("+QM,0") + kOk},
                                         {"AT+MODELNAME?", Line("+MODELNAME,Q470R") + kOk},
                                         {"AT+GPIOC?", GpioTable("+GPIOC,12,0,0") + kOk},
                                         {"AT+GPIOP?", Line("+GPIOP,0,0") + kOk},
                                         {"AT+URPU?", Line("+URPU,0") + kOk},
                                         {"AT+PANID?", Line("+PANID,1234") + kOk},
                                         {"AT+RFCH?", Line("+RFCH,99") + kOk},
                                         {"AT+PHYID?", Line("+PHYID,12") + kOk},
                                         {"AT+RTSTATUS?", Line("+RTSTATUS,1") + kOk},
                                         {"AT+UPANID?", kError},
                                         {"AT+UPANID=5", kError},
                                     });
}

TEST(ModemDevice, Q470RSetsCheckTheirParameters) {
    ExpectAnswers(ModemModel::Q470R, {
                                         {"AT+OPMODE=1", kOk},
                                         {"AT+OPMODE=4", kOk},
                                         {"AT+OPMODE=0", kError},
                                         {"AT+OPMODE=5", kError},
                                         {"AT+OPMODE=", kError},
                                         {"AT+OPMODE=+1", kError},
                                         {"AT+OPMODE= 1", kError},
                                         {"AT+OPMODE=1,1", kError},
                                         {"AT+PANID=1", kOk},
                                         {"AT+PANID=65533", kOk},
                                         {"AT+PANID=0", kError},
                                         {"AT+PANID=65534", kError},
                                         {"AT+PANID=4294967297", kError},  // would be 1 after wrapping
                                         {"AT+NETROLE=2", kOk},
                                         {"AT+NETROLE=3", kError},
                                         {"AT+RFCH=0", kOk},
                                         {"AT+RFCH=128", kOk},
                                         {"AT+RFCH=129", kError},
                                         {"AT+PHYID=1", kOk},
                                         {"AT+PHYID=13", kOk},
                                         {"AT+PHYID=0", kError},
                                         {"AT+PHYID=14", kError},
                                         {"AT+UART=2400,0,0,8", kOk},
                                         {"AT+UART=230400,1,2,7", kOk},
                                         {"AT+UART=14400,0,1,8", kOk},
                                         {"AT+UART=9601,0,0,8", kError},
                                         {"AT+UART=9600,2,0,8", kError},
                                         {"AT+UART=9600,0,3,8", kError},
                                         {"AT+UART=9600,0,0,6", kError},
                                         {"AT+UART=9600,0,0,9", kError},
                                         {"AT+UART=9600,0,0", kError},
                                         {"AT+UART=9600,0,0,8,", kError},
                                         {"AT+GPIOP=4294967295,1", kOk},
                                         {"AT+GPIOP=0,0", kOk},
                                         {"AT+GPIOP=4294967296,0", kError},
                                         {"AT+GPIOP=0,2", kError},
                                         {"AT+GPIOP=0", kError},
                                         {"AT+QM=0", kOk},
                                         {"AT+QM=2", kError},
                                         {"AT+URPU=1", kOk},
                                         {"AT+URPU=2", kError},
                                     });
}

TEST(ModemDevice, GpioConfigurationFollowsThePinsAbilities) {
    ExpectAnswers(ModemModel::Q470R, {
                                         {"AT+GPIOC=0001,0,2", kOk},  // input, pull-down
                                         {"AT+GPIOC=1000,1,1", kOk},  // pin 12, output high
                                         {"AT+GPIOC=0004,2,1", kOk},  // status LED pin, inverted
                                         {"AT+GPIOC=0008,2,0", kOk},  // pin 3, alternate function
                                         {"AT+GPIOC=0200,2,0", kOk},  // pin 9
                                         {"AT+GPIOC=0001,0,3", kError},
                                         {"AT+GPIOC=0001,1,2", kError},
                                         {"AT+GPIOC=0001,3,0", kError},
                                         {"AT+GPIOC=0001,2,0", kError},  // pin 0 has no alternate function
                                         {"AT+GPIOC=0080,2,0", kError},  // nor has pin 7
                                         {"AT+GPIOC=0008,2,1", kError},  // only the status LED can be inverted
                                         {"AT+GPIOC=0004,2,2", kError},
                                         {"AT+GPIOC=0000,0,0", kError},
                                         {"AT+GPIOC=0003,0,0", kError},  // two pins
                                         {"AT+GPIOC=2000,0,0", kError},  // pin 13 does not exist
                                         {"AT+GPIOC=001,0,0", kError},
                                         {"AT+GPIOC=00001,0,0", kError},
                                         {"AT+GPIOC=0001,0", kError},
                                     });
}

TEST(ModemDevice, KsModelsUseTheUserPanIdAndHaveNoGpio) {
    for (ModemModel model : {ModemModel::KS410, ModemModel::KS400}) {
        ExpectAnswers(model, {
                                 {"AT+MODELNAME?", Line(std::string("+MODELNAME,") + ModelName(model)) + kOk},
                                 {"AT+NETINFO?", Line("+NETINFO,12,99,1234,BC") + kOk},
                                 {"AT+UPANID?", Line("+UPANID,4660") + kOk},
                                 {"AT+UPANID=1", kOk},
                                 {"AT+UPANID=65533", kOk},
                                 {"AT+UPANID=0", kError},
                                 {"AT+UPANID=65534", kError},
                                 {"AT+OPMODE=3", kOk},
                                 {"AT+UART=115200,0,2,8", kOk},
                                 {"AT+QM=0", kOk},
                                 {"AT+RFCH?", Line("+RFCH,99") + kOk},
                                 {"AT+GPIOC?", kError},
                                 {"AT+GPIOC=0001,0,0", kError},
                                 {"AT+GPIOP?", kError},
                                 {"AT+GPIOP=0,0", kError},
                                 {"AT+URPU?", kError},
                                 {"AT+URPU=0", kError},
                                 {"AT+PANID?", kError},
                                 {"AT+PANID=5", kError},
                                 {"AT+NETROLE=1", kError},
                                 {"AT+RFCH=1", kError},
                                 {"AT+PHYID=1", kError},
                             });
    }
}

TEST(ModemDevice, UnknownAndMalformedCommandsAnswerError) {
    ExpectAnswers(ModemModel::Q470R, {{"", kError},
                                      {"at", kError},
                                      {"AT+", kError},
                                      {"AT+INFO", kError},
                                      {"AT+INFO=1", kError},
                                      {"AT+INFO??", kError},
                                      {"AT+FOO?", kError},
                                      {"ATI", kError},
                                      {"AT+ASSOCCLR?", kError},
                                      {"AT+OPMODE?", kError},
                                      {"ATZ=1", kError},
                                      {std::string("AT\0", 3), kError}});
}

// Firmware 1.5.0 and every later version, in version order, have RX pull-up.
TEST(ModemDevice, RxPullUpDependsOnTheFirmwareVersion) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"1.5.0", true},   {"1.6.2", true},  {"1.12.3", true}, {"10.5.1", true}, {"1.5.0.7", true},
        {"2.0.0", true},   {"10.0.0", true}, {"1.4.9", false}, {"1.5", false},   {"15", false},
        {"V1.5.0", false}, {"0.9.0", false}, {"", false},      {"1..0", false},
    };
    for (const auto& [firmware, hasRxPullUp] : cases) {
        ModemSettings settings = FactorySettings(ModemModel::Q470R);
        settings.firmware = firmware;
        ModemDevice device(settings);
        EXPECT_EQ(device.Handle("AT+URPU?").Bytes(), hasRxPullUp ? Line("+URPU,0") + kOk : kError) << firmware;
        EXPECT_EQ(device.Handle("AT+URPU=1").Bytes(), hasRxPullUp ? kOk : kError) << firmware;
        EXPECT_EQ(device.Settings().rxPullUp, hasRxPullUp) << firmware;
    }
    ModemDevice ks(FactorySettings(ModemModel::KS410, "1.5.0"));
    EXPECT_EQ(ks.Handle("AT+URPU?").Bytes(), kError);
}

TEST(ModemDevice, AcceptedSetsAreStoredAndReportedBack) {
    ModemDevice device(FactorySettings(ModemModel::Q470R));
    for (const char* command :
         {"AT+OPMODE=4", "AT+NETROLE=2", "AT+PANID=65533", "AT+RFCH=128", "AT+PHYID=1", "AT+UART=115200,1,2,7",
          "AT+GPIOC=0004,2,1", "AT+GPIOC=1000,1,1", "AT+GPIOP=4294967295,1", "AT+URPU=1"}) {
        ASSERT_EQ(device.Handle(command).Bytes(), kOk) << command;
    }
    device.MutableSettings().linkActive = false;
    device.MutableSettings().normalMode = false;
    device.MutableSettings().frequencyHopping = true;

    EXPECT_EQ(device.Handle("AT+INFO?").Bytes(), Line("+INFO,00124B001A2B3C4D,MULTICMD,DEV,INACT,0") + kOk);
    EXPECT_EQ(device.Handle("AT+NETINFO?").Bytes(), Line("+NETINFO,1,128,65533,FH") + kOk);
    EXPECT_EQ(device.Handle("AT+GPIOP?").Bytes(), Line("+GPIOP,4294967295,1") + kOk);
    EXPECT_EQ(device.Handle("AT+URPU?").Bytes(), Line("+URPU,1") + kOk);
    EXPECT_EQ(device.Handle("AT+RTSTATUS?").Bytes(), Line("+RTSTATUS,2") + kOk);
    const std::string table = device.Handle("AT+GPIOC?").Bytes();
    EXPECT_NE(table.find(Line("+GPIOC,2,2,1") + Line("+GPIOC,3,0,0")), std::string::npos);
    EXPECT_NE(table.find(Line("+GPIOC,12,1,1") + kOk), std::string::npos);
    const ModemSettings& s = device.Settings();
    EXPECT_EQ(std::make_tuple(s.baudRate, s.stopBits, s.parity, s.dataBits), std::make_tuple(115200u, 1, 2, 7));
}

TEST(ModemDevice, QuietModeDropsOnlyTheResultLines) {
    ModemDevice device(FactorySettings(ModemModel::Q470R));
    EXPECT_EQ(device.Handle("AT+QM=1").Bytes(), "");  // quiet from this command on
    EXPECT_EQ(device.Handle("AT").Bytes(), "");
    EXPECT_EQ(device.Handle("AT+BOGUS").Bytes(), "");
    EXPECT_EQ(device.Handle("AT+QM=7").Bytes(), "");
    EXPECT_EQ(device.Refuse().Bytes(), "");
    EXPECT_EQ(device.Handle("AT+QM?").Bytes(), Line("+QM,1"));
    EXPECT_EQ(device.Handle("AT+GPIOC?").Bytes(), GpioTable("+GPIOC,12,0,0"));
    const ModemReply restart = device.Handle("ATZ");
    EXPECT_EQ(restart.Bytes(), "");
    EXPECT_EQ(restart.laterLine, kReady);      // not a result line: still sent
    EXPECT_TRUE(device.Settings().quietMode);  // settings survive a restart
    EXPECT_EQ(device.Handle("AT+QM=1").Bytes(), "");
    EXPECT_EQ(device.Handle("AT+QM=0").Bytes(), kOk);  // loud again before it answers
    EXPECT_EQ(device.Refuse().Bytes(), kError);
}

TEST(ModemDevice, RestartCommandsAnswerOkThenReady) {
    for (const char* command : {"ATZ", "AT&F", "AT+ASSOCCLR"}) {
        ModemDevice device(FactorySettings(ModemModel::KS400));
        const ModemReply reply = device.Handle(command);
        EXPECT_EQ(reply.Bytes(), kOk) << command;
        EXPECT_EQ(reply.laterLine, kReady) << command;
    }
}

TEST(ModemDevice, FactoryResetRestoresSettingsButKeepsTheUnitsIdentity) {
    ModemSettings settings = FactorySettings(ModemModel::Q470R, "1.4.9");
    settings.modelName = "Q470R ";
    settings.extendedAddress = 0xFEDCBA9876543210ull;
    ModemDevice device(settings);
    for (const char* command : {"AT+PANID=77", "AT+GPIOC=0004,2,1", "AT+UART=2400,1,1,7", "AT+GPIOP=5,1", "AT+QM=1"}) {
        device.Handle(command);
    }
    EXPECT_EQ(device.Handle("AT&F").Bytes(), kOk);  // quiet mode is off again before it answers

    ModemSettings expected = FactorySettings(ModemModel::Q470R, "1.4.9");
    expected.modelName = "Q470R ";
    expected.extendedAddress = 0xFEDCBA9876543210ull;
    EXPECT_EQ(Fields(device.Settings()), Fields(expected));
    EXPECT_EQ(device.Handle("AT+MODELNAME?").Bytes(), Line("+MODELNAME,Q470R ") + kOk);
}

TEST(ModemDevice, ModelNameOverrideIsAnsweredAsIs) {
    for (const std::string name : {"q470r", "Q470R ", "Q470"}) {
        ModemSettings settings = FactorySettings(ModemModel::Q470R);
        settings.modelName = name;
        ModemDevice device(settings);
        EXPECT_EQ(device.Handle("AT+MODELNAME?").Bytes(), Line("+MODELNAME," + name) + kOk);
    }
}

TEST(ModemDevice, AnyLineGetsAnAnswer) {
    std::mt19937 random(410);
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> byte(0, 255);
    const std::vector<std::string> starts = {"", "AT", "AT+GPIOC=", "AT+UART=", "AT+GPIOP=", "AT+PANID="};
    ModemDevice device(FactorySettings(ModemModel::Q470R));
    for (int i = 0; i < 20000; ++i) {
        std::string line = starts[static_cast<std::size_t>(i) % starts.size()];
        for (int n = length(random); n > 0; --n) {
            // Mostly digits and commas, so that many lines get as far as the parameter checks.
            const int pick = byte(random);
            line += static_cast<char>(pick < 100 ? '0' + pick % 10 : pick < 140 ? ',' : byte(random));
        }
        const ModemReply reply = device.Handle(line);
        const bool answered = reply.resultLine == kOk || reply.resultLine == kError;
        ASSERT_TRUE(answered || (reply.resultLine.empty() && device.Settings().quietMode)) << line;
    }
}

}  // namespace
}  // namespace q470::sim
