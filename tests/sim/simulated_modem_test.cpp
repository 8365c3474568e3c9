#include "simulated_modem.h"

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <thread>

#include "process_census.h"
#include "pty_client.h"

namespace q470::sim {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

constexpr milliseconds kGenerous{5000};  // only a hang would take this long
const std::string kOk = "\r\nOK\r\n";
const std::string kError = "\r\nERROR\r\n";
const std::string kVersionAnswer = "\r\n+VER,1.5.0\r\n\r\nOK\r\n";

class SimulatedModemTest : public ::testing::Test {
protected:
    void StartModem(ModemSettings settings = FactorySettings(ModemModel::Q470R)) {
        modem_ = std::make_unique<SimulatedModem>(settings);
        std::string error;
        ASSERT_TRUE(modem_->Start(&error)) << error;
        client_ = std::make_unique<PtyClient>(modem_->PortPath());
        ASSERT_TRUE(client_->IsOpen()) << modem_->PortPath();
    }

    std::string Ask(const std::string& command, const std::string& last = kOk) {
        EXPECT_TRUE(client_->Write(command));
        return client_->ReadUntil(last, kGenerous);
    }

    std::unique_ptr<SimulatedModem> modem_;
    std::unique_ptr<PtyClient> client_;
};

TEST_F(SimulatedModemTest, AnswersAQueryAndRecordsIt) {
    StartModem();
    const auto before = Clock::now();
    EXPECT_EQ(Ask("AT+VER?\r"), kVersionAnswer);
    const auto after = Clock::now();

    const auto transcript = modem_->Transcript();
    ASSERT_EQ(transcript.size(), 1u);
    EXPECT_EQ(transcript[0].command, "AT+VER?\r");
    EXPECT_GE(transcript[0].time, before);
    EXPECT_LE(transcript[0].time, after);
    EXPECT_FALSE(modem_->WaitForCommands(2, milliseconds(20)));
    modem_->ClearTranscript();
    EXPECT_TRUE(modem_->Commands().empty());
}

TEST_F(SimulatedModemTest, CommandsInOneWriteAreAnsweredInOrder) {
    StartModem();
    const std::string overlong = "AT+" + std::string(400, '1');
    const std::string answers = kOk + "\r\n+QM,0\r\n" + kOk + kError + kError + kOk;
    EXPECT_EQ(Ask("AT\rAT+QM?\r\nAT+BOGUS\r" + overlong + "\rAT+PANID=77\r", answers), answers);

    ASSERT_TRUE(modem_->WaitForCommands(5, kGenerous));
    const std::vector<std::string> expected = {"AT\r", "AT+QM?\r", "AT+BOGUS\r", overlong.substr(0, 255) + "\r",
                                               "AT+PANID=77\r"};
    EXPECT_EQ(modem_->Commands(), expected);
    const auto transcript = modem_->Transcript();
    for (std::size_t i = 1; i < transcript.size(); ++i) EXPECT_LE(transcript[i - 1].time, transcript[i].time);
    EXPECT_EQ(modem_->Settings().panId, 77);
}

TEST_F(SimulatedModemTest, EchoesTheCommandBeforeTheAnswer) {
    StartModem();
    modem_->SetEcho(true);
    EXPECT_EQ(Ask("AT+VER?\r\n"), "AT+VER?\r" + kVersionAnswer);
}

TEST_F(SimulatedModemTest, FaultsChangeWhatIsSent) {
    struct Case {
        const char* name;
        CommandFault fault;
        std::string expected;
    };
    CommandFault active;
    active.injectBetweenLines = "\r\n+ACTIVE\r\n";
    CommandFault garbage;
    garbage.injectBetweenLines = "\x01zz\r";
    CommandFault error;
    error.answerError = true;
    CommandFault twice;
    twice.duplicateDataLines = true;
    CommandFault stray;
    stray.strayBytes = {{0, true, 'a'},  {1, true, 'b'}, {1, false, 'c'},
                        {2, false, 'd'}, {3, true, 'e'}, {9, true, 'z'}};
    const std::vector<Case> cases = {
        {"active", active, "\r\n+VER,1.5.0\r\n\r\n+ACTIVE\r\n\r\nOK\r\n"},
        {"garbage", garbage, "\r\n+VER,1.5.0\r\n\x01zz\r\r\nOK\r\n"},
        {"error", error, kError},
        {"data line twice", twice, "\r\n+VER,1.5.0\r\n\r\n+VER,1.5.0\r\n\r\nOK\r\n"},
        {"stray bytes at line ends", stray,
         "\ra\n+VER,1.5.0\rb\nc"
         "d\r\nOK\re\n"},
    };
    StartModem();
    for (const auto& c : cases) {
        modem_->SetFault("AT+VER", c.fault);
        EXPECT_EQ(Ask("AT+VER?\r", c.expected), c.expected) << c.name;
    }
    EXPECT_EQ(Ask("AT\r"), kOk);  // other commands are untouched
}

// A device at another line setting hears garbage: it carries nothing out, and what it answers reaches
// the application as noise at another rate, not at all at other stop bits. A new UART setting is
// taken in at once but comes into force at the restart, whose "+READY" already goes at it.
TEST_F(SimulatedModemTest, AnswersOnlyAtItsOwnLineSetting) {
    StartModem();
    client_->SetLine(B115200);
    EXPECT_TRUE(client_->Write("AT+PANID=77\r"));
    const std::string noise = client_->ReadFor(milliseconds(300));
    EXPECT_FALSE(noise.empty());
    EXPECT_EQ(noise.find_first_of("\r\nOKERROR"), std::string::npos) << noise;
    EXPECT_EQ(modem_->Settings().panId, 1234) << "carried out at the wrong rate";
    EXPECT_EQ(modem_->Commands(), std::vector<std::string>{"AT+PANID=77\r"});

    client_->SetLine(B9600, true);
    EXPECT_TRUE(client_->Write("AT\r"));
    EXPECT_EQ(client_->ReadFor(milliseconds(300)), "") << "other stop bits";

    client_->SetLine(B9600);
    EXPECT_EQ(Ask("AT+UART=115200,0,0,8\r"), kOk);
    EXPECT_EQ(Ask("AT\r"), kOk) << "the new setting is not in force before a restart";
    EXPECT_EQ(Describe(modem_->ActiveLine()), "9600 8N1");
    EXPECT_TRUE(client_->Write("ATZ\r"));
    const std::string restart = client_->ReadFor(milliseconds(300));
    EXPECT_EQ(restart.rfind(kOk, 0), 0u) << restart;
    EXPECT_EQ(restart.find("READY"), std::string::npos) << "the +READY goes at the new rate";
    EXPECT_EQ(Describe(modem_->ActiveLine()), "115200 8N1");
    client_->SetLine(B115200);
    EXPECT_EQ(Ask("AT\r"), kOk);
}

TEST_F(SimulatedModemTest, SplitAnswerArrivesInPieces) {
    StartModem();
    CommandFault split;
    split.splitAt = {4};
    split.splitPause = milliseconds(300);
    modem_->SetFault("AT+VER?", split);

    const auto start = Clock::now();
    client_->Write("AT+VER?\r");
    EXPECT_EQ(client_->ReadUntil("\r\n+V", kGenerous), "\r\n+V");
    EXPECT_EQ(client_->ReadFor(milliseconds(100)), "");  // still pausing
    EXPECT_EQ(client_->ReadUntil(kOk, kGenerous), "ER,1.5.0\r\n" + kOk);
    EXPECT_GE(Clock::now() - start, milliseconds(300));
}

TEST_F(SimulatedModemTest, LateResultLineAndReadyLine) {
    StartModem();
    modem_->SetReadyDelay(milliseconds(200));
    CommandFault lateOk;
    lateOk.trailerDelay = milliseconds(300);
    modem_->SetFault("AT+QM?", lateOk);

    const auto start = Clock::now();
    EXPECT_EQ(Ask("AT+QM?\r", "+QM,0\r\n"), "\r\n+QM,0\r\n");
    EXPECT_EQ(client_->ReadFor(milliseconds(100)), "");
    EXPECT_EQ(client_->ReadUntil(kOk, kGenerous), kOk);
    EXPECT_GE(Clock::now() - start, milliseconds(300));

    const auto restart = Clock::now();
    EXPECT_EQ(Ask("ATZ\r"), kOk);
    EXPECT_EQ(client_->ReadUntil("\r\n+READY\r\n", kGenerous), "\r\n+READY\r\n");
    EXPECT_GE(Clock::now() - restart, milliseconds(200));
}

TEST_F(SimulatedModemTest, SilentCommandIsNeitherAnsweredNorCarriedOut) {
    StartModem();
    CommandFault silent;
    silent.silent = true;
    modem_->SetFault("AT+QM=", silent);
    client_->Write("AT+QM=1\r");
    ASSERT_TRUE(modem_->WaitForCommands(1, kGenerous));
    EXPECT_EQ(client_->ReadFor(milliseconds(200)), "");
    EXPECT_EQ(Ask("AT+QM?\r"), "\r\n+QM,0\r\n" + kOk);
}

TEST_F(SimulatedModemTest, KeywordFaultComesBeforeThePolicy) {
    StartModem();
    std::atomic<int> asked{0};
    modem_->SetFaultPolicy([&asked](const std::string& command) {
        EXPECT_EQ(command, "AT");  // the text without its CR
        ++asked;
        CommandFault fault;
        fault.answerError = true;
        return fault;
    });
    modem_->SetFault("AT+VER", CommandFault{});
    EXPECT_EQ(Ask("AT+VER?\r"), kVersionAnswer);
    EXPECT_EQ(Ask("AT\r", kError), kError);
    EXPECT_EQ(asked, 1);
    modem_->ClearFaults();
    EXPECT_EQ(Ask("AT\r"), kOk);
}

TEST_F(SimulatedModemTest, PacingHoldsToTheLineRate) {
    StartModem();
    constexpr std::uint32_t kBaud = 2400;
    const auto charTime = std::chrono::nanoseconds(1'000'000'000LL * 10 / kBaud);  // 8N1: 10 bits a character
    modem_->SetPacing(true, kBaud);

    const std::string command = "AT+VER?\r";
    const auto start = Clock::now();
    EXPECT_EQ(Ask(command), kVersionAnswer);
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, charTime * static_cast<int>(command.size() + kVersionAnswer.size()));
    EXPECT_LT(elapsed, kGenerous);
    ASSERT_EQ(modem_->Transcript().size(), 1u);
    EXPECT_GE(modem_->Transcript()[0].time - start, charTime * static_cast<int>(command.size()));

    modem_->SetPacing(true, kBaud, 7, true, 2);  // 11 bits a character
    const auto slower = Clock::now();
    EXPECT_EQ(Ask(command), kVersionAnswer);
    EXPECT_GE(Clock::now() - slower, charTime * 11 / 10 * static_cast<int>(command.size() + kVersionAnswer.size()));
}

TEST_F(SimulatedModemTest, HangUpAfterAnswersTheLastCommandThenCloses) {
    StartModem();
    modem_->HangUpAfter(2);
    EXPECT_EQ(Ask("AT\r"), kOk);
    client_->Write("AT+VER?\r");
    std::string rest;
    EXPECT_TRUE(client_->WaitForHangUp(kGenerous, &rest));
    EXPECT_EQ(rest, kVersionAnswer);

    // A new start serves on a fresh port.
    std::string error;
    ASSERT_TRUE(modem_->Start(&error)) << error;
    client_ = std::make_unique<PtyClient>(modem_->PortPath());
    EXPECT_EQ(Ask("AT\r"), kOk);
}

TEST_F(SimulatedModemTest, HangUpFaultClosesInsteadOfAnswering) {
    StartModem();
    CommandFault hangUp;
    hangUp.hangUp = true;
    modem_->SetFault("AT+GPIOC?", hangUp);
    client_->Write("AT+GPIOC?\r");
    std::string rest;
    EXPECT_TRUE(client_->WaitForHangUp(kGenerous, &rest));
    EXPECT_EQ(rest, "");
    EXPECT_EQ(modem_->Commands(), std::vector<std::string>{"AT+GPIOC?\r"});
}

TEST_F(SimulatedModemTest, StopIsPromptWhileTheDeviceWaits) {
    for (const bool paced : {false, true}) {
        StartModem();
        CommandFault slow;
        slow.delay = milliseconds(paced ? 0 : 10000);
        modem_->SetFault("AT+GPIOC?", slow);
        modem_->SetPacing(paced, 300);  // the table takes seconds at 300 baud
        client_->Write("AT+GPIOC?\r");
        ASSERT_TRUE(modem_->WaitForCommands(1, kGenerous));

        const auto start = Clock::now();
        modem_->Stop();
        EXPECT_LT(Clock::now() - start, milliseconds(1000)) << paced;
        EXPECT_TRUE(client_->WaitForHangUp(kGenerous)) << paced;
    }
}

// Opens the port from a thread without CAP_SYS_ADMIN: the exclusive mode a program takes on the
// port stops such an opening, as it stops any program without root rights.
int OpenWithoutAdminRights(const std::string& path, int* error) {
    int fd = -1;
    std::thread([&] {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct caps[2]{};
        if (::syscall(SYS_capget, &header, caps) == 0) {
            caps[CAP_TO_INDEX(CAP_SYS_ADMIN)].effective &= ~CAP_TO_MASK(CAP_SYS_ADMIN);
            ::syscall(SYS_capset, &header, caps);
        }
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        *error = errno;
    }).join();
    return fd;
}

TEST_F(SimulatedModemTest, PortCanBeReopenedAfterAProgramHeldItExclusively) {
    StartModem();
    ASSERT_EQ(::ioctl(client_->Fd(), TIOCEXCL), 0);
    int error = 0;
    EXPECT_LT(OpenWithoutAdminRights(modem_->PortPath(), &error), 0);
    EXPECT_EQ(error, EBUSY);
    client_->Close();

    int fd = -1;
    for (auto deadline = Clock::now() + kGenerous; fd < 0 && Clock::now() < deadline;) {
        fd = OpenWithoutAdminRights(modem_->PortPath(), &error);
        if (fd < 0) std::this_thread::sleep_for(milliseconds(10));
    }
    ASSERT_GE(fd, 0) << std::strerror(error);
    ::close(fd);
    client_ = std::make_unique<PtyClient>(modem_->PortPath());
    EXPECT_EQ(Ask("AT\r"), kOk);
}

TEST(SimulatedModem, StartStopCyclesLeaveNothingBehind) {
    SimulatedModem(FactorySettings(ModemModel::Q470R)).Start();  // the process-wide port watch stays
    const std::size_t descriptors = test::OpenDescriptors();
    for (int cycle = 0; cycle < 300; ++cycle) {
        SimulatedModem modem(FactorySettings(ModemModel::KS410));
        std::string error;
        ASSERT_TRUE(modem.Start(&error)) << error;
        if (cycle % 50 == 0) {
            EXPECT_FALSE(modem.Start(&error));
            EXPECT_NE(error.find(modem.PortPath()), std::string::npos);
            PtyClient client(modem.PortPath());
            client.Write("AT\r");
            EXPECT_EQ(client.ReadUntil(kOk, kGenerous), kOk);
        }
        if (cycle % 2 == 0) modem.Stop();  // otherwise the destructor stops it
    }
    EXPECT_EQ(test::OpenDescriptors(), descriptors);
}

}  // namespace
}  // namespace q470::sim
