// How the device link cuts what the device sends into lines and answers, against streams a device
// (or line noise) can produce: the same stream must complete a command the same way however it is
// cut into reads, one misplaced byte must cost no more than its own line, a value comes only from a
// line that arrived whole between its CR LFs, and a GPIO table is trusted only when every pin has
// exactly one line.

#include "q470comm.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "raw_device.h"

namespace q470 {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::RawDevice;

// A stream that ends by time-out waits this long; one that completes its command may take up to the
// long one on a busy machine, where the pauses between many pieces add up.
constexpr std::uint32_t kTimeoutMs = 400;
constexpr std::uint32_t kLongTimeoutMs = 5000;

std::string GpioLine(int pin, int mode = 0, int config = 0) {
    return "\r\n+GPIOC," + std::to_string(pin) + "," + std::to_string(mode) + "," + std::to_string(config) + "\r\n";
}

std::string GpioLines(int first, int last) {
    std::string lines;
    for (int pin = first; pin <= last; ++pin) lines += GpioLine(pin);
    return lines;
}

struct Answer {
    std::int32_t kind;
    std::string text;  // of a version or model-name record; the value of a user PAN ID or quiet mode
};

std::string TextOf(const ResponseRecord& record) {
    switch (record.kind) {
        case RespVersion:
        case RespModelName:
            return ReadText(record);
        case RespUserPanId:
            return std::to_string(record.payload[0] | record.payload[1] << 8);
        case RespQuietMode:
            return std::to_string(record.payload[0]);
        default:
            return {};
    }
}

// Sends `command` on a fresh link and answers it with `stream`, cut at `cuts` with a pause after each
// piece, so that each piece reaches the link in a read of its own. `before` comes in before the command.
Answer Exchange(const std::string& command, CommandId id, const std::string& stream,
                const std::vector<std::size_t>& cuts, const std::string& before = {},
                std::uint32_t timeoutMs = kTimeoutMs) {
    RawDevice device;
    Q470Comm link;
    EXPECT_TRUE(device.Opened());
    EXPECT_FALSE(link.Open(device.Path(), 115200, 8, 0, 0));
    if (!before.empty()) {
        EXPECT_TRUE(device.Write(before));
        std::this_thread::sleep_for(20ms);
    }
    auto waiting = std::async(std::launch::async, [&] { return link.Execute(command, id, timeoutMs); });
    EXPECT_TRUE(device.WaitForCommand());
    std::size_t at = 0;
    for (std::size_t cut : cuts.empty() ? std::vector<std::size_t>{stream.size()} : cuts) {
        EXPECT_TRUE(device.Write(std::string_view(stream).substr(at, cut - at)));
        std::this_thread::sleep_for(3ms);
        at = cut;
    }
    const auto record = waiting.get();
    link.Close();
    return {record->kind, TextOf(*record)};
}

struct Stream {
    const char* name;
    std::string command;
    CommandId id;
    std::string bytes;
    Answer answer;
    std::string before{};  // already in when the command goes out
};

// Through the real link on a pseudo-terminal: the stream whole, in pieces of one to a few bytes
// around every line end, and at random cuts.
TEST(LinkFraming, ACommandIsCompletedTheSameWayHoweverTheAnswerIsCut) {
    const std::vector<Stream> streams = {
        {"an OK behind a 600-byte line", "AT\r", CmdAt, "\r\n" + std::string(600, 'x') + "\r\nOK\r\n", {RespOk, ""}},
        {"an overlong line ending like a version line",
         "AT+VER?\r",
         CmdVersionQuery,
         "\r\n" + std::string(300, 'y') + "+VER,9.9.9\r\n\r\n+VER,1.0.2\r\n",
         {RespVersion, "1.0.2"}},
        {"the tail of an earlier OK and noise before the answer",
         "AT+MODELNAME?\r",
         CmdModelNameQuery,
         "K\r\n\x05\xE9\xFF\r\n+MODELNAME,Q470R\r\n\r\nOK\r\n",
         {RespModelName, "Q470R"}},
        {"a stray LF and a stray CR between lines",
         "AT+VER?\r",
         CmdVersionQuery,
         "\n\r\n+ACTIVE\r\n\r\r\n+VER,1.5.0\r\n",
         {RespVersion, "1.5.0"}},
        {"a stray byte inside the line end of an unsolicited line",
         "AT\r",
         CmdAt,
         "\r\n+ACTIVE\rq\n\r\nOK\r\n",
         {RespOk, ""}},
        {"an ERROR does not answer a query", "AT+VER?\r", CmdVersionQuery, "\r\nERROR\r\n", {ResultTimeout, ""}},
        {"a value cut by a stray CR is not a shorter value",
         "AT+UPANID?\r",
         CmdUserPanIdQuery,
         "\r\n+UPANID,46\r60\r\n\r\n+UPANID,4660\r\n",
         {RespUserPanId, "4660"}},
        {"a flag cut by a stray CR",
         "AT+QM?\r",
         CmdQuietModeQuery,
         "\r\n+QM,\r1\r\n\r\n+QM,1\r\n",
         {RespQuietMode, "1"}},
        {"a value cut by a NUL",
         "AT+UPANID?\r",
         CmdUserPanIdQuery,
         std::string("\r\n+UPANID,46\0"
                     "60\r\n\r\n+UPANID,4660\r\n",
                     33),
         {RespUserPanId, "4660"}},
        {"a stray CR before the closing CR LF: 46, or 460 with its last byte replaced",
         "AT+UPANID?\r",
         CmdUserPanIdQuery,
         "\r\n+UPANID,46\r\r\n\r\n+UPANID,460\r\n",
         {RespUserPanId, "460"}},
        {"an echo and stray line ends around the opening",
         "AT+QM?\r",
         CmdQuietModeQuery,
         "AT+QM?\r\n\r\r\n\r+QM,1\r\n",
         {RespQuietMode, "1"}},
        {"a stray byte inside the closing CR LF",
         "AT+QM?\r",
         CmdQuietModeQuery,
         "\r\n+QM,1\rZ\n",
         {RespQuietMode, "1"}},
        {"a line whose CR LF came before the command is stale",
         "AT+QM?\r",
         CmdQuietModeQuery,
         "+QM,1\r\n\r\n+QM,0\r\n",
         {RespQuietMode, "0"},
         "\r\n"},
        {"a GPIO table missing a pin",
         "AT+GPIOC?\r",
         CmdGpioConfigQuery,
         GpioLines(0, 11) + "\r\nOK\r\n",
         {ResultBadResponse, ""}},
        {"a GPIO table with a pin given two values",
         "AT+GPIOC?\r",
         CmdGpioConfigQuery,
         GpioLines(0, 5) + GpioLine(3, 1, 1) + GpioLines(6, 12) + "\r\nOK\r\n",
         {ResultBadResponse, ""}},
        {"a GPIO table with a line said twice",
         "AT+GPIOC?\r",
         CmdGpioConfigQuery,
         GpioLines(0, 5) + GpioLine(5) + GpioLines(6, 12) + "\r\nOK\r\n",
         {RespGpioConfig, ""}},
    };
    std::mt19937 random(14);
    for (const auto& stream : streams) {
        const std::size_t size = stream.bytes.size();
        std::vector<std::vector<std::size_t>> ways = {{size}};
        std::vector<std::size_t> aroundLineEnds;
        for (std::size_t i = 0; i < size; ++i) {
            if (stream.bytes[i] == '\r' || stream.bytes[i] == '\n') aroundLineEnds.push_back(i + 1);
        }
        if (aroundLineEnds.empty() || aroundLineEnds.back() != size) aroundLineEnds.push_back(size);
        ways.push_back(aroundLineEnds);
        std::vector<std::size_t> randomCuts;
        for (std::size_t at = 0; at < size;) randomCuts.push_back(at = std::min(size, at + 1 + random() % 60));
        ways.push_back(randomCuts);
        for (std::size_t way = 0; way < ways.size(); ++way) {
            const std::uint32_t timeoutMs = stream.answer.kind == ResultTimeout ? kTimeoutMs : kLongTimeoutMs;
            const Answer answer =
                Exchange(stream.command, stream.id, stream.bytes, ways[way], stream.before, timeoutMs);
            EXPECT_EQ(answer.kind, stream.answer.kind) << stream.name << ", way " << way;
            EXPECT_EQ(answer.text, stream.answer.text) << stream.name << ", way " << way;
        }
    }
}

// A GPIO answer that ends before the table is whole fails at its end, not at the time-out.
TEST(LinkFraming, AnIncompleteGpioTableFailsAsSoonAsTheAnswerEnds) {
    const auto start = Clock::now();
    EXPECT_EQ(Exchange("AT+GPIOC?\r", CmdGpioConfigQuery, GpioLines(1, 12) + "\r\nOK\r\n", {}).kind, ResultBadResponse);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(kTimeoutMs));
}

}  // namespace
}  // namespace q470
