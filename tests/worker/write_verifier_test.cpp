#include "write_verifier.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <thread>

#include "line_choices.h"
#include "model_kind.h"
#include "pty_port.h"
#include "raw_device.h"
#include "simulated_modem.h"
#include "temp_folder.h"

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

// The restart the writes end with, as the flows send it: the check starts from what the device said.
std::int32_t Restart(Q470Comm& link, const std::string& port, std::uint32_t timeoutMs = Q470Comm::kDefaultTimeoutMs) {
    if (!link.IsOpen()) link.Open(port, 9600, 8, 0, 0);
    return link.Execute("ATZ\r", CmdRestart, timeoutMs)->kind;
}

const SettingCheck& UartOf(const VerifyReport& report) {
    for (const auto& check : report.checks) {
        if (check.IsLine()) return check;
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
    ASSERT_EQ(Restart(link, modem.PortPath()), RespOk);
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
        ASSERT_EQ(Restart(link, modem.PortPath()), RespOk);
        EXPECT_EQ(VerifyWrites(link, Request(modem.PortPath(), settings, 9600)).outcome, VerifyOutcome::Verified);
    }
    sim::SimulatedModem modem(settings);
    ASSERT_TRUE(modem.Start());
    sim::CommandFault hangUp;
    hangUp.hangUp = true;
    modem.SetFault("AT+NETINFO?", hangUp);
    Q470Comm link;
    ASSERT_EQ(Restart(link, modem.PortPath()), RespOk);
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
    EXPECT_EQ(Restart(link, dead.SlavePath(), 50), ResultTimeout);
    const auto start = std::chrono::steady_clock::now();
    const VerifyReport none = VerifyWrites(link, request);
    EXPECT_EQ(none.outcome, VerifyOutcome::NoAnswer);
    EXPECT_FALSE(none.line);
    EXPECT_FALSE(UartOf(none).readBackLine);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);

    sim::SimulatedModem ks(sim::FactorySettings(sim::ModemModel::KS410));
    ASSERT_TRUE(ks.Start());
    request.port = ks.PortPath();
    link.Close();
    ASSERT_EQ(Restart(link, ks.PortPath()), RespOk);
    EXPECT_EQ(VerifyWrites(link, request).outcome, VerifyOutcome::OtherDevice);

    request.port = "/dev/q470-no-such-port";
    const VerifyReport gone = VerifyWrites(link, request);
    EXPECT_EQ(gone.outcome, VerifyOutcome::CannotOpen);
    EXPECT_EQ(gone.openError, std::errc::no_such_file_or_directory);
}

// The device's end of the line, scripted: ATZ acknowledged with OK alone (no "+READY"), and every
// AT+QM? answered at once, as a device does that takes a restart and goes on as before.
class AcknowledgesWithoutRestarting {
public:
    AcknowledgesWithoutRestarting() {
        thread_ = std::thread([this] {
            std::string command;
            while (!stop_) {
                pollfd ready{device_.MasterFd(), POLLIN, 0};
                char byte = 0;
                if (::poll(&ready, 1, 10) <= 0 || ::read(device_.MasterFd(), &byte, 1) != 1) continue;
                command += byte;
                if (byte != '\r') continue;
                if (command == "ATZ\r") device_.Write("\r\nOK\r\n");
                if (command == "AT+QM?\r") device_.Write("\r\n+QM,0\r\n\r\nOK\r\n");
                command.clear();
            }
        });
    }
    ~AcknowledgesWithoutRestarting() {
        stop_ = true;
        thread_.join();
    }
    const std::string& Path() const { return device_.Path(); }

private:
    test::RawDevice device_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Settings written take effect at a restart: a device that refuses or ignores it, or takes it but is
// never seen to restart, is not read back, however well it would compare.
TEST(VerifyWrites, ADeviceNeverSeenToRestartIsNotReadBack) {
    const sim::ModemSettings settings = sim::FactorySettings(sim::ModemModel::Q470R);
    struct Case {
        const char* name;
        sim::CommandFault restart;
    };
    const Case cases[] = {{"refused", sim::CommandFault::Refused()}, {"ignored", sim::CommandFault::Silent()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim::SimulatedModem modem(settings);
        ASSERT_TRUE(modem.Start());
        modem.SetFault("ATZ", c.restart);
        Q470Comm link;
        ASSERT_EQ(Restart(link, modem.PortPath(), 300), ResultTimeout) << "an ERROR does not end a restart";
        modem.ClearTranscript();
        const VerifyReport report = VerifyWrites(link, Request(modem.PortPath(), settings, 9600));
        EXPECT_EQ(report.outcome, VerifyOutcome::NotRestarted);
        EXPECT_EQ(report.restartRefused, c.restart.answerError);
        ASSERT_TRUE(report.line);
        for (const auto& check : report.checks) EXPECT_FALSE(check.readBack) << "read back";
        for (const auto& command : modem.Commands()) EXPECT_TRUE(command == "\r" || command == "AT+QM?\r") << command;
    }

    Q470Comm link;
    VerifyReport report;
    {
        AcknowledgesWithoutRestarting device;
        ASSERT_EQ(Restart(link, device.Path()), RespOk);
        report = VerifyWrites(link, Request(device.Path(), settings, 9600));
        link.Close();
    }
    EXPECT_EQ(report.outcome, VerifyOutcome::NotRestarted);
    EXPECT_EQ(report.restartAnswer, RespOk);
    for (const auto& check : report.checks) EXPECT_FALSE(check.readBack) << "read back";
}

// Without a "+READY", a restart shows as a pause in the device's answers, or as its port going away
// and coming back (a device that brings its own USB port restarts it with itself).
TEST(VerifyWrites, ARestartWithoutAnnouncementIsSeenByItsPauseOrItsPort) {
    const sim::ModemSettings settings = sim::FactorySettings(sim::ModemModel::Q470R);
    {
        // It takes ATZ in silence (so announces nothing) and does not answer while it restarts.
        std::atomic<int> probes{0};
        sim::SimulatedModem modem(settings);
        ASSERT_TRUE(modem.Start());
        modem.SetFaultPolicy([&](const std::string& command) {
            if (command == "ATZ") return sim::CommandFault::Silent();
            return command == "AT+QM?" && probes++ < 2 ? sim::CommandFault::Silent() : sim::CommandFault{};
        });
        Q470Comm link;
        ASSERT_EQ(Restart(link, modem.PortPath(), 100), ResultTimeout);
        EXPECT_EQ(VerifyWrites(link, Request(modem.PortPath(), settings, 9600)).outcome, VerifyOutcome::Verified);
    }
    test::TempFolder folder;
    const std::string port = folder.Path("ttyQ470");
    auto before = std::make_unique<sim::SimulatedModem>(settings);
    ASSERT_TRUE(before->Start());
    before->SetReadyDelay(2000ms);  // OK, then gone before its "+READY"
    std::filesystem::create_symlink(before->PortPath(), port);
    Q470Comm link;
    ASSERT_EQ(Restart(link, port), RespOk);
    // The port's name goes with the device, as a USB device's node does: a name left pointing at the
    // old pseudo-terminal could meanwhile lead to another program's.
    std::filesystem::remove(port);
    before.reset();
    sim::SimulatedModem after(settings);
    ASSERT_TRUE(after.Start());
    std::thread comesBack([&] {
        std::this_thread::sleep_for(200ms);
        std::filesystem::create_symlink(after.PortPath(), port);
    });
    const VerifyReport report = VerifyWrites(link, Request(port, settings, 9600));
    comesBack.join();
    EXPECT_EQ(report.outcome, VerifyOutcome::Verified);
    EXPECT_FALSE(link.LastRestart().announced);
}

}  // namespace
}  // namespace q470
