// What the device link keeps of bytes that will never make a line: a device (or line noise) that
// streams without line ends must not make the link hold more than one frame's worth plus one read.

#include "q470comm.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <string_view>
#include <thread>

#include "raw_device.h"
#include "response_parser.h"

namespace q470 {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::RawDevice;

constexpr auto kHangGuard = RawDevice::kHangGuard;
constexpr std::uint32_t kLongTimeoutMs = 10000;
constexpr std::size_t kFrameBufferBound = Q470Comm::kReceiveCap + kMaxFrameLength;

class LinkStream : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(device_.Opened());
        ASSERT_FALSE(link_.Open(device_.Path(), 115200, 8, 0, 0));
    }
    void TearDown() override { link_.Close(); }

    // Sends `bytes`, then the version line again and again until the waiting query has taken one: a
    // line that arrives while the receive buffer is full is dropped, so one copy could be lost.
    ResponseRecordPtr QueryAfter(const std::string& bytes) {
        auto waiting =
            std::async(std::launch::async, [&] { return link_.Execute("AT+VER?\r", CmdVersionQuery, kLongTimeoutMs); });
        EXPECT_TRUE(device_.WaitForCommand());
        EXPECT_TRUE(device_.Write(bytes));
        while (waiting.wait_for(20ms) != std::future_status::ready) {
            if (!device_.Write("\r\n+VER,1.2.3\r\n")) break;
        }
        EXPECT_TRUE(device_.Write("\r\nOK\r\n"));  // the query's final line, which the next command waits for
        return waiting.get();
    }

    RawDevice device_;
    Q470Comm link_;
};

TEST_F(LinkStream, AStreamWithoutLineEndsIsNotKeptAndTheNextLineIsStillTaken) {
    constexpr std::size_t kStreamBytes = 256 * 1024;
    struct Case {
        const char* name;
        std::string stream;
    };
    const Case cases[] = {
        {"plain bytes", std::string(kStreamBytes, 'x')},
        {"after a line start", "\r\n" + std::string(kStreamBytes, 'x')},
        {"inside a data line", "\r\n+VER," + std::string(kStreamBytes, '7')},
        {"bytes of every value but CR",
         [] {
             std::string bytes(kStreamBytes, '\0');
             for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 256 == '\r' ? 0 : i % 256);
             return bytes;
         }()},
    };
    for (const auto& c : cases) {
        const auto record = QueryAfter(c.stream);
        ASSERT_EQ(record->kind, RespVersion) << c.name;
        EXPECT_EQ(ReadText(*record), "1.2.3") << c.name;
    }
    EXPECT_LE(link_.FrameHighWater(), kFrameBufferBound);
    EXPECT_LE(link_.ReceiveHighWater(), Q470Comm::kReceiveCap);
}

// The longest line a device may send arrives in two pieces, the second only its last byte: nothing of
// it may be dropped while it waits.
TEST_F(LinkStream, ALineOfTheLongestLengthSplitBeforeItsLastByteIsWhole) {
    const std::string text(kMaxFrameLength - std::string("\r\n+VER,\r\n").size(), 'v');
    const std::string line = "\r\n+VER," + text + "\r\n";
    ASSERT_EQ(line.size(), kMaxFrameLength);
    auto waiting =
        std::async(std::launch::async, [&] { return link_.Execute("AT+VER?\r", CmdVersionQuery, kLongTimeoutMs); });
    ASSERT_TRUE(device_.WaitForCommand());
    ASSERT_TRUE(device_.Write(line.substr(0, line.size() - 1)));
    std::this_thread::sleep_for(50ms);  // the first piece is in the frame buffer by now
    ASSERT_TRUE(device_.Write(line.substr(line.size() - 1)));
    ASSERT_EQ(waiting.wait_for(kHangGuard), std::future_status::ready);
    const auto record = waiting.get();
    ASSERT_EQ(record->kind, RespVersion);
    EXPECT_EQ(ReadText(*record), text.substr(0, kMaxTextLength));
}

}  // namespace
}  // namespace q470
