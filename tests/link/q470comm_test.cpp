#include "q470comm.h"

#include <gtest/gtest.h>

#include <asio/error.hpp>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "command_catalogue.h"
#include "io_service_exec.h"
#include "process_census.h"
#include "simulated_modem.h"

namespace q470 {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kHangGuard = 5s;     // only a hang gets near it
constexpr auto kQuietTime = 200ms;  // how long "nothing more happens" is watched
constexpr std::uint32_t kShortTimeoutMs = 200;

// Errors the link handed to its owner; the callback only records them, as an owner must.
class ErrorEvents {
public:
    void Attach(Q470Comm& link) {
        link.errorCallback = [this](Q470Comm*, std::error_code& error) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                errors_.push_back(error);
            }
            changed_.notify_all();
        };
    }
    std::vector<std::error_code> Errors() {
        std::lock_guard<std::mutex> lock(mutex_);
        return errors_;
    }
    bool WaitFor(std::size_t count) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, kHangGuard, [&] { return errors_.size() >= count; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::error_code> errors_;
};

std::unique_ptr<sim::SimulatedModem> StartModem(sim::ModemSettings settings = {}) {
    auto modem = std::make_unique<sim::SimulatedModem>(std::move(settings));
    std::string error;
    if (!modem->Start(&error)) ADD_FAILURE() << "simulated modem: " << error;
    return modem;
}

std::error_code OpenOn(Q470Comm& link, const sim::SimulatedModem& modem) {
    return link.Open(modem.PortPath(), 115200, 8, 0, 0);
}

class DeviceLink : public ::testing::Test {
protected:
    void SetUp() override {
        errors_.Attach(link_);
        ASSERT_FALSE(OpenOn(link_, *modem_));
    }
    void TearDown() override { link_.Close(); }

    ResponseRecordPtr Execute(const std::string& command, CommandId id,
                              std::uint32_t timeoutMs = Q470Comm::kDefaultTimeoutMs) {
        return link_.Execute(command, id, timeoutMs);
    }

    std::unique_ptr<sim::SimulatedModem> modem_ = StartModem();
    Q470Comm link_;
    ErrorEvents errors_;
};

TEST_F(DeviceLink, EachKindOfAnswerCompletesItsCommand) {
    struct Case {
        const char* name;
        std::string command;
        CommandId id;
        bool quietMode;
        std::int32_t kind;
    };
    const Case cases[] = {
        {"OK for a plain command", "AT\r", CmdAt, false, RespOk},
        {"ERROR for a refused set", "AT+RFCH=200\r", CmdRfChannelSet, false, RespError},
        {"the data line for a query", "AT+VER?\r", CmdVersionQuery, false, RespVersion},
        {"OK for a restart", "ATZ\r", CmdRestart, false, RespOk},
        {"+READY for a restart without OK", "ATZ\r", CmdRestart, true, RespReady},
    };
    for (const auto& c : cases) {
        modem_->UpdateSettings([&](sim::ModemSettings& s) { s.quietMode = c.quietMode; });
        const auto record = Execute(c.command, c.id);
        EXPECT_EQ(record->kind, c.kind) << c.name;
    }
    modem_->UpdateSettings([](sim::ModemSettings& s) { s.quietMode = false; });
    const auto version = Execute("AT+VER?\r", CmdVersionQuery);
    ASSERT_EQ(version->kind, RespVersion);
    EXPECT_EQ(ReadText(*version), "1.5.0");
    EXPECT_TRUE(errors_.Errors().empty());
}

TEST_F(DeviceLink, QueryAnsweredErrorEndsByTimeout) {
    sim::CommandFault fault;
    fault.answerError = true;
    modem_->SetFault("AT+VER?", fault);
    const auto start = Clock::now();
    const auto record = Execute("AT+VER?\r", CmdVersionQuery, kShortTimeoutMs);
    const auto elapsed = Clock::now() - start;
    EXPECT_EQ(record->kind, ResultTimeout);
    EXPECT_GT(elapsed, std::chrono::milliseconds(kShortTimeoutMs));
    EXPECT_LT(elapsed, kHangGuard);
}

TEST_F(DeviceLink, IdentifiersOutsideTheCatalogueOrReservedEndByTimeout) {
    for (const auto id : {0, 1, 10, 36}) {
        const auto record = Execute("AT\r", static_cast<CommandId>(id), kShortTimeoutMs);
        EXPECT_EQ(record->kind, ResultTimeout) << "identifier " << id;
    }
    EXPECT_EQ(modem_->Commands().size(), 4u);
}

TEST_F(DeviceLink, AnswerSplitInsideALineOrAfterAnEchoIsStillTaken) {
    sim::CommandFault split;
    split.splitAt = {5};  // inside "+VER,"
    split.splitPause = 100ms;
    modem_->SetFault("AT+VER?", split);
    auto record = Execute("AT+VER?\r", CmdVersionQuery);
    ASSERT_EQ(record->kind, RespVersion);
    EXPECT_EQ(ReadText(*record), "1.5.0");

    modem_->ClearFaults();
    modem_->SetEcho(true);
    record = Execute("AT+VER?\r", CmdVersionQuery);
    ASSERT_EQ(record->kind, RespVersion);
    EXPECT_EQ(ReadText(*record), "1.5.0");
}

TEST_F(DeviceLink, LinesLeftFromTheLastCommandAreDiscarded) {
    ASSERT_EQ(Execute("AT+VER?\r", CmdVersionQuery)->kind, RespVersion);
    std::this_thread::sleep_for(kQuietTime);  // the version's trailing OK has arrived by now

    // A stale OK would complete this command, which the device leaves unanswered.
    sim::CommandFault silent;
    silent.silent = true;
    modem_->SetFault("AT+RFCH=", silent);
    EXPECT_EQ(Execute("AT+RFCH=5\r", CmdRfChannelSet, kShortTimeoutMs)->kind, ResultTimeout);
}

TEST_F(DeviceLink, GpioTableIsAssembledFromThirteenLines) {
    modem_->UpdateSettings([](sim::ModemSettings& s) {
        for (std::uint8_t pin = 0; pin < kGpioPinCount; ++pin)
            s.gpio[pin] = {std::uint8_t(pin % 3), std::uint8_t((pin + 1) % 3)};
    });
    const auto record = Execute("AT+GPIOC?\r", CmdGpioConfigQuery);
    ASSERT_EQ(record->kind, RespGpioConfig);
    EXPECT_EQ(record->length, kGpioTableSize);
    const GpioTable table = ReadGpioTable(*record);
    for (std::uint8_t pin = 0; pin < kGpioPinCount; ++pin) {
        EXPECT_EQ(table[pin].pin, pin);
        EXPECT_EQ(table[pin].ioMode, pin % 3) << "pin " << int(pin);
        EXPECT_EQ(table[pin].pinConfig, (pin + 1) % 3) << "pin " << int(pin);
    }
}

TEST_F(DeviceLink, GpioTableCountsRepeatedPinsAndReplacesTheirEntry) {
    modem_->UpdateSettings([](sim::ModemSettings& s) {
        for (auto& pin : s.gpio) pin = {1, 1};
    });
    // Lines arrive as pin 0, the repeat, pin 1, the repeat, ...: the thirteenth is pin 6.
    sim::CommandFault repeat;
    repeat.injectBetweenLines = "\r\n+GPIOC,0,2,2\r\n";
    modem_->SetFault("AT+GPIOC?", repeat);
    const auto record = Execute("AT+GPIOC?\r", CmdGpioConfigQuery);
    ASSERT_EQ(record->kind, RespGpioConfig);
    const GpioTable table = ReadGpioTable(*record);
    EXPECT_EQ(table[0].ioMode, 2);
    EXPECT_EQ(table[0].pinConfig, 2);
    for (std::uint8_t pin = 1; pin <= 6; ++pin) EXPECT_EQ(table[pin].pin, pin);
    for (std::uint8_t pin = 7; pin < kGpioPinCount; ++pin) EXPECT_EQ(table[pin].ioMode, 0) << "pin " << int(pin);
}

TEST_F(DeviceLink, GpioTableOfTwelveLinesEndsByTimeout) {
    // The thirteenth line is held back past the time-out; OK and ERROR do not end this query.
    const std::size_t twelveLines =
        10 * std::string("\r\n+GPIOC,0,0,0\r\n").size() + 2 * std::string("\r\n+GPIOC,10,0,0\r\n").size();
    sim::CommandFault held;
    held.splitAt = {twelveLines};
    held.splitPause = 1000ms;
    modem_->SetFault("AT+GPIOC?", held);
    EXPECT_EQ(Execute("AT+GPIOC?\r", CmdGpioConfigQuery, kShortTimeoutMs)->kind, ResultTimeout);
}

TEST_F(DeviceLink, CommandBuildersRefuseReservedPanIdsWithoutSending) {
    for (const std::uint16_t panId : {0, 0xFFFE, 0xFFFF}) {
        EXPECT_EQ(link_.SetPanId(panId), ResultInvalidInput) << panId;
        EXPECT_EQ(link_.SetUserPanId(panId), ResultInvalidInput) << panId;
    }
    EXPECT_EQ(link_.SetPanId(65533), RespOk);
    const int gpioAnswer = link_.SetGpioConfig(GpioEntry{3, 1, 2});
    EXPECT_TRUE(gpioAnswer == RespOk || gpioAnswer == RespError) << gpioAnswer;
    EXPECT_EQ(modem_->Commands(), (std::vector<std::string>{"AT+PANID=65533\r", "AT+GPIOC=0008,1,2\r"}));
}

TEST_F(DeviceLink, CloseWakesAWaitingExecuteAtOnceWithoutAnErrorCallback) {
    sim::CommandFault silent;
    silent.silent = true;
    modem_->SetFault("AT+VER?", silent);
    auto waiting = std::async(std::launch::async, [&] { return Execute("AT+VER?\r", CmdVersionQuery, 60000); });
    ASSERT_TRUE(modem_->WaitForCommands(1, kHangGuard));
    const auto start = Clock::now();
    link_.Close();
    ASSERT_EQ(waiting.wait_for(kHangGuard), std::future_status::ready);
    EXPECT_LT(Clock::now() - start, kHangGuard);
    EXPECT_EQ(waiting.get()->kind, ResultClosed);
    EXPECT_FALSE(link_.IsOpen());

    std::this_thread::sleep_for(kQuietTime);
    EXPECT_TRUE(errors_.Errors().empty()) << "the read cancelled by Close was reported";
    EXPECT_EQ(Execute("AT\r", CmdAt)->kind, ResultNotOpen);
}

TEST_F(DeviceLink, DeviceHangUpIsReportedOnce) {
    modem_->HangUpAfter(1);
    EXPECT_EQ(Execute("AT\r", CmdAt)->kind, RespOk);
    ASSERT_TRUE(errors_.WaitFor(1));
    std::this_thread::sleep_for(kQuietTime);
    const auto errors = errors_.Errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0] == asio::error::eof || errors[0] == std::errc::io_error) << errors[0].message();
    link_.Close();
    std::this_thread::sleep_for(kQuietTime);
    EXPECT_EQ(errors_.Errors().size(), 1u);
}

// A query's OK that trails its data line is still on its way when Execute returns. Sent at once, the
// next command takes that OK for its own answer; after the line has been quiet for longer than the
// pause before the OK it does not.
TEST_F(DeviceLink, WaitForQuietKeepsATrailingOkFromAcknowledgingTheNextCommand) {
    constexpr auto kTrailer = 15ms;
    constexpr auto kQuiet = 40ms;
    sim::CommandFault lateOk;
    lateOk.trailerDelay = kTrailer;
    modem_->SetFault("AT+VER?", lateOk);
    sim::CommandFault silent;
    silent.silent = true;
    modem_->SetFault("AT+RFCH=", silent);

    ASSERT_EQ(Execute("AT+VER?\r", CmdVersionQuery)->kind, RespVersion);
    EXPECT_EQ(Execute("AT+RFCH=5\r", CmdRfChannelSet, kShortTimeoutMs)->kind, RespOk) << "the hazard itself";

    ASSERT_EQ(Execute("AT+VER?\r", CmdVersionQuery)->kind, RespVersion);
    const auto start = Clock::now();
    EXPECT_TRUE(link_.WaitForQuiet(kQuiet, kHangGuard));
    EXPECT_GE(Clock::now() - start, kQuiet) << "the OK came after the wait began, so a whole quiet time follows it";
    EXPECT_EQ(Execute("AT+RFCH=5\r", CmdRfChannelSet, kShortTimeoutMs)->kind, ResultTimeout);
}

TEST_F(DeviceLink, WaitForQuietReturnsAtOnceOnAQuietLineAndGivesUpOnABusyOne) {
    ASSERT_EQ(Execute("AT\r", CmdAt)->kind, RespOk);
    std::this_thread::sleep_for(kQuietTime);
    auto start = Clock::now();
    EXPECT_TRUE(link_.WaitForQuiet(kQuietTime, kHangGuard));
    EXPECT_LT(Clock::now() - start, kQuietTime) << "waited although nothing arrived for longer than asked";

    // Bytes keep the line busy past the longest wait allowed.
    sim::CommandFault lateOk;
    lateOk.trailerDelay = 100ms;
    modem_->SetFault("AT+VER?", lateOk);
    ASSERT_EQ(Execute("AT+VER?\r", CmdVersionQuery)->kind, RespVersion);
    start = Clock::now();
    EXPECT_FALSE(link_.WaitForQuiet(kHangGuard, 50ms));
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 50ms);
    EXPECT_LT(waited, kHangGuard);
}

TEST_F(DeviceLink, WaitForQuietEndsWhenTheLinkCloses) {
    ASSERT_EQ(Execute("AT\r", CmdAt)->kind, RespOk);
    auto waiting = std::async(std::launch::async, [&] { return link_.WaitForQuiet(60s, 60s); });
    std::this_thread::sleep_for(50ms);
    link_.Close();
    ASSERT_EQ(waiting.wait_for(kHangGuard), std::future_status::ready);
    EXPECT_FALSE(waiting.get());
    EXPECT_FALSE(link_.WaitForQuiet(0ms, 0ms)) << "a closed link is not a quiet line";
}

TEST_F(DeviceLink, LineObserverSeesEachFrameUpToTheCompletingOne) {
    std::vector<std::string> frames;
    link_.SetLineObserver([&](std::string_view frame) { frames.emplace_back(frame); });
    ASSERT_EQ(Execute("AT+GPIOC?\r", CmdGpioConfigQuery)->kind, RespGpioConfig);
    ASSERT_EQ(frames.size(), kGpioPinCount);
    EXPECT_EQ(frames[0], "\r\n+GPIOC,0,0,0\r\n");
    EXPECT_EQ(frames[12], "\r\n+GPIOC,12,0,0\r\n");

    frames.clear();
    ASSERT_TRUE(link_.WaitForQuiet(20ms, kHangGuard));  // the table's OK is in, and dropped by the next command
    ASSERT_EQ(Execute("AT+QM?\r", CmdQuietModeQuery)->kind, RespQuietMode);
    EXPECT_EQ(frames, std::vector<std::string>{"\r\n+QM,0\r\n"}) << "the OK behind the completing line";

    link_.SetLineObserver(nullptr);
    frames.clear();
    ASSERT_EQ(Execute("AT\r", CmdAt)->kind, RespOk);
    EXPECT_TRUE(frames.empty());
}

TEST(DeviceLinkClosed, NeverOpenedLinkAnswersNotOpenAtOnceAndWritesNothing) {
    auto modem = StartModem();
    Q470Comm link;
    const auto start = Clock::now();
    EXPECT_EQ(link.Execute("AT\r", CmdAt, 60000)->kind, ResultNotOpen);
    EXPECT_EQ(link.SetPanId(1), ResultNotOpen);
    EXPECT_LT(Clock::now() - start, kHangGuard);
    std::this_thread::sleep_for(kQuietTime);
    EXPECT_TRUE(modem->Commands().empty());
}

TEST(DeviceLinkThreads, IoThreadsRunWhileAnyLinkIsOpen) {
    auto& service = IoServiceExec::Instance();
    auto modemA = StartModem();
    auto modemB = StartModem();
    Q470Comm a;
    Q470Comm b;
    ASSERT_EQ(service.ThreadCount(), 0u);

    ASSERT_FALSE(OpenOn(a, *modemA));
    const std::size_t threads = service.ThreadCount();
    EXPECT_GE(threads, 1u);
    ASSERT_FALSE(OpenOn(b, *modemB));
    EXPECT_EQ(service.ThreadCount(), threads);
    EXPECT_EQ(g_openLinks, 2);

    a.Close();
    EXPECT_EQ(service.ThreadCount(), threads);
    EXPECT_EQ(b.Execute("AT\r", CmdAt)->kind, RespOk);
    b.Close();
    EXPECT_EQ(service.ThreadCount(), 0u);
    EXPECT_EQ(service.RunningThreadCount(), 0u);
    EXPECT_EQ(g_openLinks, 0);

    ASSERT_FALSE(OpenOn(a, *modemA));
    EXPECT_EQ(service.ThreadCount(), threads);
    EXPECT_EQ(a.Execute("AT\r", CmdAt)->kind, RespOk);
    a.Close();
    EXPECT_EQ(service.RunningThreadCount(), 0u);
}

// A hang-up ends the only outstanding read; a link opened before the owner closes the dead one must
// still find threads serving it.
TEST(DeviceLinkThreads, HangUpOfOneLinkLeavesTheThreadsForTheNext) {
    auto modemA = StartModem();
    auto modemB = StartModem();
    Q470Comm a;
    Q470Comm b;
    ErrorEvents errors;
    errors.Attach(a);
    ASSERT_FALSE(OpenOn(a, *modemA));
    modemA->HangUpAfter(1);
    EXPECT_EQ(a.Execute("AT\r", CmdAt)->kind, RespOk);
    ASSERT_TRUE(errors.WaitFor(1));

    ASSERT_FALSE(OpenOn(b, *modemB));
    EXPECT_EQ(b.Execute("AT\r", CmdAt)->kind, RespOk);
    a.Close();
    b.Close();
}

// The channel closes itself after a hang-up when nobody listens; the owner's Close must still give
// the link's count back, or the I/O threads would never stop.
TEST(DeviceLinkThreads, HangUpWithoutCallbackStillLetsTheThreadsStop) {
    auto modem = StartModem();
    Q470Comm link;
    ASSERT_FALSE(OpenOn(link, *modem));
    modem->HangUpAfter(1);
    EXPECT_EQ(link.Execute("AT\r", CmdAt)->kind, RespOk);
    for (auto start = Clock::now(); link.IsOpen() && Clock::now() - start < kHangGuard;) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_FALSE(link.IsOpen());
    link.Close();
    EXPECT_EQ(g_openLinks, 0);
    EXPECT_EQ(IoServiceExec::Instance().ThreadCount(), 0u);
}

TEST(DeviceLinkThreads, RepeatedOpenAndCloseLeavesNoThread) {
    auto modem = StartModem();
    const std::size_t before = test::ProcessThreads();
    Q470Comm link;
    for (int cycle = 0; cycle < 200; ++cycle) {
        ASSERT_FALSE(OpenOn(link, *modem)) << "cycle " << cycle;
        ASSERT_EQ(link.Execute("AT\r", CmdAt)->kind, RespOk) << "cycle " << cycle;
        link.Close();
    }
    EXPECT_EQ(IoServiceExec::Instance().RunningThreadCount(), 0u);
    EXPECT_EQ(test::ProcessThreads(), before);
}

// The command-line tool drives several ports at once, opening and closing from its own threads.
TEST(DeviceLinkThreads, LinksOpenAndCloseFromSeveralThreads) {
    constexpr int kLinks = 3;
    constexpr int kCycles = 40;
    std::vector<std::unique_ptr<sim::SimulatedModem>> modems;
    for (int i = 0; i < kLinks; ++i) modems.push_back(StartModem());
    std::vector<std::future<int>> failures;
    for (int i = 0; i < kLinks; ++i) {
        failures.push_back(std::async(std::launch::async, [&modem = *modems[i]] {
            int failed = 0;
            Q470Comm link;
            for (int cycle = 0; cycle < kCycles; ++cycle) {
                if (OpenOn(link, modem) || link.Execute("AT\r", CmdAt)->kind != RespOk) ++failed;
                link.Close();
            }
            return failed;
        }));
    }
    for (auto& failed : failures) {
        ASSERT_EQ(failed.wait_for(60s), std::future_status::ready) << "a link hung";
        EXPECT_EQ(failed.get(), 0);
    }
    EXPECT_EQ(g_openLinks, 0);
    EXPECT_EQ(IoServiceExec::Instance().RunningThreadCount(), 0u);
}

}  // namespace
}  // namespace q470
