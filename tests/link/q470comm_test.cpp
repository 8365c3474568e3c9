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
    return link.Open(modem.PortPath(), modem.ActiveLine().baudRate, 8, 0, 0);
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

// The table is built by pin: a line said twice is said once, but a pin given two different values
// leaves no table to trust, and the read fails at once instead of guessing.
TEST_F(DeviceLink, GpioTableTakesARepeatedLineOnceAndRefusesAConflictingOne) {
    modem_->UpdateSettings([](sim::ModemSettings& s) {
        for (auto& pin : s.gpio) pin = {1, 1};
    });
    sim::CommandFault repeat;
    repeat.injectBetweenLines = "\r\n+GPIOC,0,1,1\r\n";
    modem_->SetFault("AT+GPIOC?", repeat);
    auto record = Execute("AT+GPIOC?\r", CmdGpioConfigQuery);
    ASSERT_EQ(record->kind, RespGpioConfig);
    const GpioTable table = ReadGpioTable(*record);
    for (std::uint8_t pin = 0; pin < kGpioPinCount; ++pin) {
        EXPECT_EQ(table[pin].pin, pin);
        EXPECT_EQ(table[pin].ioMode, 1) << "pin " << int(pin);
    }

    repeat.injectBetweenLines = "\r\n+GPIOC,0,2,2\r\n";
    modem_->SetFault("AT+GPIOC?", repeat);
    const auto start = Clock::now();
    EXPECT_EQ(Execute("AT+GPIOC?\r", CmdGpioConfigQuery)->kind, ResultBadResponse);
    EXPECT_LT(Clock::now() - start, 1s);
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

// A device that hangs up cannot answer any more: the command waiting for it ends at once, whether or
// not the owner listens for errors, and no later command is sent.
TEST(DeviceLinkHangUp, EndsTheWaitingCommandAtOnce) {
    for (const bool callback : {true, false}) {
        auto modem = StartModem();
        Q470Comm link;
        ErrorEvents errors;
        if (callback) errors.Attach(link);
        ASSERT_FALSE(OpenOn(link, *modem));
        sim::CommandFault hangUp;
        hangUp.hangUp = true;
        modem->SetFault("AT+VER?", hangUp);
        const auto start = Clock::now();
        EXPECT_EQ(link.Execute("AT+VER?\r", CmdVersionQuery, 60000)->kind, ResultClosed) << callback;
        EXPECT_LT(Clock::now() - start, 1s) << callback;
        EXPECT_TRUE(link.HungUp());
        const auto next = link.Execute("AT\r", CmdAt, 60000)->kind;
        EXPECT_TRUE(next == ResultClosed || next == ResultNotOpen) << next;
        link.Close();
        EXPECT_EQ(modem->Commands(), std::vector<std::string>{"AT+VER?\r"});
        const auto another = StartModem();
        ASSERT_FALSE(OpenOn(link, *another));
        EXPECT_FALSE(link.HungUp()) << "a new connection starts afresh";
        link.Close();
    }
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

// A query's final OK trails its data line; a restart-type command's "+READY" trails its OK. However
// late either comes within the owing command's time-out, the next command is judged by its own answer:
// here the device refuses it, and a stale OK or "+READY" would make the refusal look accepted.
TEST_F(DeviceLink, WhatTheLastCommandOwesNeverAnswersTheNext) {
    sim::CommandFault refused;
    refused.answerError = true;
    modem_->SetFault("AT+RFCH=", refused);
    for (const auto delay : {2ms, 30ms, 300ms, 1900ms}) {
        sim::CommandFault lateOk;
        lateOk.trailerDelay = delay;
        modem_->SetFault("AT+VER?", lateOk);
        const auto start = Clock::now();
        ASSERT_EQ(Execute("AT+VER?\r", CmdVersionQuery)->kind, RespVersion) << delay.count() << " ms";
        if (delay >= 300ms) {
            EXPECT_LT(Clock::now() - start, delay) << "the query waited for its trailing OK";
        }
        EXPECT_EQ(Execute("AT+RFCH=5\r", CmdRfChannelSet)->kind, RespError) << delay.count() << " ms";
    }

    modem_->SetReadyDelay(300ms);
    sim::CommandFault silent;
    silent.silent = true;
    modem_->SetFault("ATZ", silent);
    ASSERT_EQ(Execute("AT+ASSOCCLR\r", CmdAssocClear)->kind, RespOk);
    EXPECT_EQ(Execute("ATZ\r", CmdRestart, kShortTimeoutMs)->kind, ResultTimeout) << "the clear's +READY ended it";
}

// A command typed by a person is waited for until its final line, whatever its identifier would take
// for its answer, and still leaves owed what the identifier says: a restart's later "+READY" never
// answers the next command.
TEST_F(DeviceLink, AFinalLineCompletesACommandWhateverItIs) {
    std::vector<std::string> lines;
    link_.SetObserver([&](LinkTraffic traffic, std::string_view bytes, Clock::time_point) {
        if (traffic == LinkTraffic::Answer) lines.emplace_back(bytes);
    });
    EXPECT_EQ(link_.ExecuteToFinalLine("AT+VER?\r", CmdVersionQuery, 2000)->kind, RespOk);
    EXPECT_EQ(lines, (std::vector<std::string>{"\r\n+VER,1.5.0\r\n", "\r\nOK\r\n"}));
    EXPECT_EQ(link_.ExecuteToFinalLine("AT+NOSUCH\r", CmdReserved6, 2000)->kind, RespError);
    sim::CommandFault silent;
    silent.silent = true;
    modem_->SetFault("AT+QM?", silent);
    EXPECT_EQ(link_.ExecuteToFinalLine("AT+QM?\r", CmdQuietModeQuery, kShortTimeoutMs)->kind, ResultTimeout);

    modem_->SetReadyDelay(100ms);
    modem_->SetFault("ATZ", silent);
    ASSERT_EQ(link_.ExecuteToFinalLine("AT+ASSOCCLR\r", CmdAssocClear, 2000)->kind, RespOk);
    EXPECT_EQ(Execute("ATZ\r", CmdRestart, 500)->kind, ResultTimeout) << "the clear's +READY ended it";
}

// A quiet device sends no final lines, so its queries owe nothing and the next command goes at once;
// the link learns the mode from the device's own answers and from the quiet-mode writes it carries.
TEST_F(DeviceLink, QueriesOfAQuietDeviceOweNothing) {
    modem_->UpdateSettings([](sim::ModemSettings& s) { s.quietMode = true; });
    ASSERT_EQ(Execute("AT+QM?\r", CmdQuietModeQuery)->kind, RespQuietMode);
    auto start = Clock::now();
    for (int i = 0; i < 3; ++i) ASSERT_EQ(Execute("AT+VER?\r", CmdVersionQuery)->kind, RespVersion);
    EXPECT_LT(Clock::now() - start, 500ms);

    // Switched to talking, the device's queries owe their OK again: a refused set after one must fail.
    ASSERT_EQ(Execute("AT+QM=0\r", CmdQuietModeSet)->kind, RespOk);
    sim::CommandFault lateOk;
    lateOk.trailerDelay = 100ms;
    modem_->SetFault("AT+VER?", lateOk);
    sim::CommandFault refused;
    refused.answerError = true;
    modem_->SetFault("AT+RFCH=", refused);
    ASSERT_EQ(Execute("AT+VER?\r", CmdVersionQuery)->kind, RespVersion);
    EXPECT_EQ(Execute("AT+RFCH=5\r", CmdRfChannelSet)->kind, RespError);

    // AT+QM=1 goes unanswered by a device that takes it; from then on its queries owe nothing.
    EXPECT_EQ(Execute("AT+QM=1\r", CmdQuietModeSet, kShortTimeoutMs)->kind, ResultTimeout);
    modem_->ClearFaults();
    start = Clock::now();
    for (int i = 0; i < 3; ++i) ASSERT_EQ(Execute("AT+VER?\r", CmdVersionQuery)->kind, RespVersion);
    EXPECT_LT(Clock::now() - start, 500ms);
}

// A query's final line that has not come by the query's own time-out never will, or will come when it
// can be taken for the next command's answer: the link is out of step, and sends nothing more until it
// is opened again. A "+READY" that never comes only means the device does not announce its restarts.
TEST_F(DeviceLink, AFinalLineThatNeverComesStopsTheLinkUntilItIsOpenedAgain) {
    modem_->SetReadyDelay(400ms);
    ASSERT_EQ(Execute("ATZ\r", CmdRestart, kShortTimeoutMs)->kind, RespOk);
    EXPECT_EQ(Execute("AT+QM?\r", CmdQuietModeQuery)->kind, RespQuietMode);
    EXPECT_FALSE(link_.OutOfStep());

    sim::CommandFault veryLateOk;
    veryLateOk.trailerDelay = 1500ms;
    modem_->SetFault("AT+VER?", veryLateOk);
    modem_->ClearTranscript();
    ASSERT_EQ(Execute("AT+VER?\r", CmdVersionQuery, kShortTimeoutMs)->kind, RespVersion);
    const auto completed = Clock::now();
    EXPECT_EQ(Execute("AT+RFCH=5\r", CmdRfChannelSet)->kind, ResultOutOfStep);
    EXPECT_GE(Clock::now() - completed, std::chrono::milliseconds(kShortTimeoutMs) - 20ms) << "not waited for";
    EXPECT_TRUE(link_.OutOfStep());
    EXPECT_EQ(Execute("AT+QM?\r", CmdQuietModeQuery)->kind, ResultOutOfStep);
    EXPECT_EQ(modem_->Commands(), std::vector<std::string>{"AT+VER?\r"});

    link_.Close();
    ASSERT_FALSE(OpenOn(link_, *modem_));
    EXPECT_FALSE(link_.OutOfStep());
}

// The observer sees the traffic as the link handles it: the command sent, each line up to the
// completing one, and before the next command the line that pays what the last one owed.
TEST_F(DeviceLink, ObserverSeesTheTraffic) {
    std::vector<std::pair<LinkTraffic, std::string>> seen;
    link_.SetObserver([&](LinkTraffic traffic, std::string_view bytes, Clock::time_point) {
        const auto first = bytes.find_first_not_of("\r\n");
        const auto last = bytes.find_last_not_of("\r\n");
        seen.emplace_back(traffic, first == std::string_view::npos
                                       ? std::string(bytes)
                                       : std::string(bytes.substr(first, last - first + 1)));
    });
    ASSERT_EQ(Execute("AT+GPIOC?\r", CmdGpioConfigQuery)->kind, RespGpioConfig);
    ASSERT_EQ(seen.size(), 1 + kGpioPinCount);
    EXPECT_EQ(seen[0], std::make_pair(LinkTraffic::Sent, std::string("AT+GPIOC?")));
    EXPECT_EQ(seen[1], std::make_pair(LinkTraffic::Answer, std::string("+GPIOC,0,0,0")));
    EXPECT_EQ(seen[13], std::make_pair(LinkTraffic::Answer, std::string("+GPIOC,12,0,0")));

    seen.clear();
    ASSERT_EQ(Execute("AT+QM?\r", CmdQuietModeQuery)->kind, RespQuietMode);
    using Seen = std::vector<std::pair<LinkTraffic, std::string>>;
    EXPECT_EQ(seen, (Seen{{LinkTraffic::Owed, "OK"}, {LinkTraffic::Sent, "AT+QM?"}, {LinkTraffic::Answer, "+QM,0"}}));

    link_.SetObserver(nullptr);
    seen.clear();
    ASSERT_EQ(Execute("AT\r", CmdAt)->kind, RespOk);
    EXPECT_TRUE(seen.empty());
}

// A line is timed by its arrival, however much later it is taken in: here the final OK of a query,
// which comes at once and is taken in only when the next command goes out.
TEST_F(DeviceLink, ALineKeepsTheTimeItArrived) {
    struct Seen {
        LinkTraffic traffic;
        std::string bytes;
        Clock::time_point when;
        Clock::time_point observed;
    };
    std::vector<Seen> seen;
    link_.SetObserver([&](LinkTraffic traffic, std::string_view bytes, Clock::time_point when) {
        seen.push_back({traffic, std::string(bytes), when, Clock::now()});
    });
    ASSERT_EQ(Execute("AT+VER?\r", CmdVersionQuery)->kind, RespVersion);
    std::this_thread::sleep_for(300ms);
    ASSERT_EQ(Execute("AT\r", CmdAt)->kind, RespOk);
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(seen[2].traffic, LinkTraffic::Owed);
    EXPECT_EQ(seen[2].bytes, "\r\nOK\r\n");
    EXPECT_GE(seen[2].observed - seen[2].when, 250ms) << "timed when it was taken in, not when it came";
    EXPECT_LT(seen[2].when - seen[1].when, 100ms);
    for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_GE(seen[i].when, seen[i - 1].when) << "out of order at " << i;
}

// Listening takes in lines as they come with no command waiting, and a line the last command owed
// still pays its debt: the next command is not held up waiting for it.
TEST_F(DeviceLink, ListenHandsOnLinesAsTheyComeAndPaysWhatWasOwed) {
    std::vector<std::pair<LinkTraffic, std::string>> seen;
    link_.SetObserver(
        [&](LinkTraffic traffic, std::string_view bytes, Clock::time_point) { seen.emplace_back(traffic, bytes); });
    sim::CommandFault lateOk;
    lateOk.trailerDelay = 100ms;
    modem_->SetFault("AT+VER?", lateOk);
    ASSERT_EQ(Execute("AT+VER?\r", CmdVersionQuery)->kind, RespVersion);
    seen.clear();
    EXPECT_TRUE(link_.Listen(300));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], std::make_pair(LinkTraffic::Heard, std::string("\r\nOK\r\n")));

    seen.clear();
    const auto start = Clock::now();
    ASSERT_EQ(Execute("AT\r", CmdAt)->kind, RespOk);
    EXPECT_LT(Clock::now() - start, 50ms) << "waited for an OK that had already come";
    EXPECT_EQ(seen.front().first, LinkTraffic::Sent);

    link_.Close();
    EXPECT_FALSE(link_.Listen(10));
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
