#include "write_verifier.h"

#include <gtest/gtest.h>

#include <atomic>

#include "line_choices.h"
#include "model_kind.h"
#include "pty_port.h"
#include "simulated_modem.h"

namespace q470 {
namespace {

using namespace std::chrono_literals;

// What the general apply job writes to a factory-fresh Q470R, with the UART rate given.
VerifyRequest Request(const std::string& port, const sim::ModemSettings& device, std::uint32_t uartRate) {
    DeviceState state;
    state.info.mode = device.opMode;
    state.info.role = device.netRole;
    GeneralSettings record;
    record.opMode = device.opMode;
    record.netRole = device.netRole;
    record.panId = device.panId;
    record.phyId = device.phyId;
    record.rfChannel = device.rfChannel;
    record.baudRate = uartRate;
    record.dataBits = 8;
    VerifyRequest request;
    request.port = port;
    request.connection = ConnectionLine{9600, 8, 0, 0};
    request.modelKind = ModelQ470R;
    request.checks = ChecksOfGeneral(record, true, true);
    request.restartBudget = 1500ms;
    return request;
}

const SettingCheck& UartOf(const VerifyReport& report) {
    for (const auto& check : report.checks) {
        if (check.setting == CheckedSetting::Uart) return check;
    }
    throw std::logic_error("no UART check");
}

// A device busy with its restart does not answer at first; it is asked again until it does.
TEST(VerifyWrites, WaitsForTheDeviceAndReadsItAtItsNewRate) {
    sim::ModemSettings settings = sim::FactorySettings(sim::ModemModel::Q470R);
    settings.baudRate = 115200;
    std::atomic<int> probes{0};
    sim::SimulatedModem modem(settings);
    ASSERT_TRUE(modem.Start());
    modem.SetFaultPolicy([&](const std::string& command) {
        return command == "AT+QM?" && probes++ < 3 ? sim::CommandFault::Silent() : sim::CommandFault{};
    });
    Q470Comm link;
    const VerifyReport report = VerifyWrites(link, Request(modem.PortPath(), settings, 115200));
    EXPECT_EQ(report.outcome, VerifyOutcome::Verified);
    ASSERT_TRUE(report.line);
    EXPECT_EQ(LineText(*report.line), "115200 8N1");
    EXPECT_GT(report.readyAfter, 3 * ProbeWait(*report.line) - 50ms);
    EXPECT_EQ(CountDifferences(report.checks), 0u);
    for (const auto& command : modem.Commands()) EXPECT_EQ(command.find('='), std::string::npos) << command;
}

// A device that did not take its new UART setting answers at the old one: the check finds it there
// and names the UART setting.
TEST(VerifyWrites, UartSettingNotKept) {
    const sim::ModemSettings settings = sim::FactorySettings(sim::ModemModel::Q470R);
    sim::SimulatedModem modem(settings);
    ASSERT_TRUE(modem.Start());
    Q470Comm link;
    VerifyRequest request = Request(modem.PortPath(), settings, 57600);
    request.restartBudget = 400ms;
    const VerifyReport report = VerifyWrites(link, request);
    EXPECT_EQ(report.outcome, VerifyOutcome::Differs);
    EXPECT_EQ(LineText(*report.line), "9600 8N1");
    EXPECT_EQ(CountDifferences(report.checks), 1u);
    EXPECT_EQ(LineText(*UartOf(report).readBackLine), "9600 8N1");
}

// Noise while the device is read back costs nothing; a device that hangs up during the read is never
// verified, and the check ends at once.
TEST(VerifyWrites, ADeviceThatMisbehavesDuringTheReadBack) {
    const sim::ModemSettings settings = sim::FactorySettings(sim::ModemModel::Q470R);
    {
        // The fault outlives the modem, whose thread asks for it until the modem stops.
        sim::CommandFault noise;
        noise.strayBytes = {{0, true, 'x'}, {1, false, '\n'}};
        noise.duplicateDataLines = true;
        noise.injectBetweenLines = "\r\n+ACTIVE\r\n";
        sim::SimulatedModem modem(settings);
        ASSERT_TRUE(modem.Start());
        modem.SetFaultPolicy([&](const std::string& command) {
            return command.back() == '?' && command != "AT+QM?" ? noise : sim::CommandFault{};
        });
        Q470Comm link;
        EXPECT_EQ(VerifyWrites(link, Request(modem.PortPath(), settings, 9600)).outcome, VerifyOutcome::Verified);
    }
    sim::SimulatedModem modem(settings);
    ASSERT_TRUE(modem.Start());
    sim::CommandFault hangUp;
    hangUp.hangUp = true;
    modem.SetFault("AT+NETINFO?", hangUp);
    Q470Comm link;
    const auto start = std::chrono::steady_clock::now();
    const VerifyReport report = VerifyWrites(link, Request(modem.PortPath(), settings, 9600));
    EXPECT_NE(report.outcome, VerifyOutcome::Verified);
    EXPECT_NE(report.outcome, VerifyOutcome::Differs);
    EXPECT_LT(std::chrono::steady_clock::now() - start - report.readyAfter, 1s);
}

TEST(VerifyWrites, NoDeviceOrAnotherOne) {
    sim::PtyPort dead;
    ASSERT_FALSE(dead.Open());
    Q470Comm link;
    VerifyRequest request = Request(dead.SlavePath(), sim::FactorySettings(sim::ModemModel::Q470R), 9600);
    request.restartBudget = 300ms;
    const auto start = std::chrono::steady_clock::now();
    const VerifyReport none = VerifyWrites(link, request);
    EXPECT_EQ(none.outcome, VerifyOutcome::NoAnswer);
    EXPECT_FALSE(none.line);
    EXPECT_FALSE(UartOf(none).readBackLine);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);

    sim::SimulatedModem ks(sim::FactorySettings(sim::ModemModel::KS410));
    ASSERT_TRUE(ks.Start());
    request.port = ks.PortPath();
    EXPECT_EQ(VerifyWrites(link, request).outcome, VerifyOutcome::OtherDevice);

    request.port = "/dev/q470-no-such-port";
    const VerifyReport gone = VerifyWrites(link, request);
    EXPECT_EQ(gone.outcome, VerifyOutcome::CannotOpen);
    EXPECT_EQ(gone.openError, std::errc::no_such_file_or_directory);
}

}  // namespace
}  // namespace q470
