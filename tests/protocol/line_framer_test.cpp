#include "line_framer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "receive_buffer.h"
#include "response_parser.h"

namespace q470 {
namespace {

// What a stream yields, in order: every record but the noise lines.
std::vector<std::int32_t> Kinds(LineFramer& framer) {
    std::vector<std::int32_t> kinds;
    while (auto record = framer.Next()) {
        if (record->kind != ResultBadResponse) kinds.push_back(record->kind);
    }
    return kinds;
}

std::vector<std::int32_t> Feed(const std::string& stream, const std::vector<std::size_t>& cuts) {
    LineFramer framer;
    std::vector<std::int32_t> kinds;
    std::size_t at = 0;
    for (std::size_t cut : cuts) {
        framer.Append(reinterpret_cast<const std::uint8_t*>(stream.data()) + at, cut - at);
        const auto more = Kinds(framer);
        kinds.insert(kinds.end(), more.begin(), more.end());
        at = cut;
    }
    return kinds;
}

// The lines a byte stream yields do not depend on how the stream was cut into reads.
TEST(LineFramer, YieldsTheSameLinesHoweverTheStreamIsCut) {
    struct Stream {
        const char* name;
        std::string bytes;
        std::vector<std::int32_t> kinds;
    };
    const std::vector<Stream> streams = {
        {"a query's answer", "\r\n+VER,1.5.0\r\n\r\nOK\r\n", {RespVersion, RespOk}},
        {"an answer without its closing line end", "\r\nOK", {}},
        {"an answer whose closing CR has come but not its LF", "\r\nOK\r", {}},
        {"a stray byte before an answer costs only itself", "X\r\nOK\r\n", {RespOk}},
        {"only stray line ends", "\n\n\n", {}},
        {"an echo before the answer", "AT+QM?\r\r\n+QM,1\r\n\r\nOK\r\n", {RespQuietMode, RespOk}},
        {"the tail of an earlier OK and noise", "K\r\n!#~\r\n+MODELNAME,Q470R\r\n\r\nOK\r\n", {RespModelName, RespOk}},
        {"a trailing line end cut off", "\r\n+VER,1.5.0\r\n\r\nOK\r\n\n", {RespVersion, RespOk}},
        {"stray bytes inside and between line ends", "\r\n+QM,0\rZ\n\r\n\x01\r\nOK\r\n", {RespQuietMode, RespOk}},
        {"a stray CR or LF before, inside or after an opening, or after a closing CR LF",
         "\n\r\n+QM,1\r\n\r\r\n+QM,0\r\n\n\r\n\r+QM,1\r\n\r\n\n+QM,0\r\n\r\r\nOK\r\n\n",
         {RespQuietMode, RespQuietMode, RespQuietMode, RespQuietMode, RespOk}},
        {"a line opened by the CR LF that closed the one before",
         "\r\n+QM,1\r\n+QM,0\r\n",
         {RespQuietMode, RespQuietMode}},
        {"a value cut by a stray CR", "\r\n+UPANID,46\r60\r\n\r\nOK\r\n", {RespOk}},
        {"a flag cut by a stray CR", "\r\n+QM,\r1\r\n\r\nOK\r\n", {RespOk}},
        {"a value cut by a stray LF", "\r\n+UPANID,46\n60\r\n\r\nOK\r\n", {RespOk}},
        {"a value cut by a NUL",
         std::string("\r\n+UPANID,46\0"
                     "60\r\n\r\nOK\r\n",
                     23),
         {RespOk}},
        {"a stray CR before the closing CR LF", "\r\n+UPANID,46\r\r\n\r\nOK\r\n", {RespOk}},
        {"a stray LF before the closing CR LF", "\r\n+UPANID,46\n\r\n\r\nOK\r\n", {RespOk}},
        {"a line without its opening CR LF", "+QM,1\r\n\r\nOK\r\n", {RespOk}},
        {"an OK behind a 600-byte line", "\r\n" + std::string(600, 'x') + "\r\nOK\r\n", {ResultTooLong, RespOk}},
        {"an overlong line that ends like a data line",
         "\r\n" + std::string(300, 'y') + "+QM,1\r\n\r\nERROR\r\n",
         {ResultTooLong, RespError}},
        {"the longest line", "\r\n+VER," + std::string(kMaxLineLength - 5, 'v') + "\r\n", {RespVersion}},
        {"one byte too long", "\r\n+VER," + std::string(kMaxLineLength - 4, 'v') + "\r\n", {ResultTooLong}},
        {"bytes that never end a line", std::string(5000, 'z'), {}},
    };
    std::mt19937 random(470);
    for (const auto& stream : streams) {
        const std::size_t size = stream.bytes.size();
        EXPECT_EQ(Feed(stream.bytes, {size}), stream.kinds) << stream.name << ", whole";
        std::vector<std::size_t> everyByte;
        for (std::size_t i = 1; i <= size; ++i) everyByte.push_back(i);
        EXPECT_EQ(Feed(stream.bytes, everyByte), stream.kinds) << stream.name << ", byte by byte";
        for (int round = 0; round < 20; ++round) {
            std::vector<std::size_t> cuts;
            for (std::size_t at = 0; at < size;) {
                at = std::min(size, at + 1 + random() % 40);
                cuts.push_back(at);
            }
            EXPECT_EQ(Feed(stream.bytes, cuts), stream.kinds) << stream.name << ", random cuts " << round;
        }
    }
}

// An unfinished line never holds more than a line's worth, and what is thrown away with Clear does
// not come back as a line when the rest of it arrives.
TEST(LineFramer, HoldsNoMoreThanALineAndForgetsTheRestOfAClearedLine) {
    LineFramer framer;
    const std::string flood(100000, 'q');
    framer.Append(reinterpret_cast<const std::uint8_t*>(flood.data()), flood.size());
    EXPECT_FALSE(framer.Next());
    EXPECT_EQ(framer.Size(), 0u);

    // A line begun before the clear, whether its text had started or only its CR LF had come, is stale.
    for (const std::string cut : {"\r\nOK\r\n\r\n+QM,", "\r\nOK\r\n\r\n", "\r\nOK\r\n\r"}) {
        LineFramer cleared;
        cleared.Append(reinterpret_cast<const std::uint8_t*>(cut.data()), cut.size());
        cleared.Clear();
        const std::string rest = cut.back() == ',' ? "1\r\n\r\nOK\r\n" : cut.back() == '\r' ? "\nOK\r\n" : "OK\r\n";
        cleared.Append(reinterpret_cast<const std::uint8_t*>(rest.data()), rest.size());
        const std::vector<std::int32_t> expected =
            cut.back() == ',' ? std::vector<std::int32_t>{RespOk} : std::vector<std::int32_t>{};
        EXPECT_EQ(Kinds(cleared), expected)
            << "the rest of a cleared line was taken for a line after " << cut.size() << " bytes";
    }
}

// Each line is timed by the read that brought its last byte, however late it is taken.
TEST(LineFramer, TimesALineByTheReadThatEndedIt) {
    using Clock = LineFramer::Clock;
    const Clock::time_point first = Clock::now();
    const Clock::time_point second = first + std::chrono::milliseconds(40);
    const std::string a = "\r\n+QM,";
    const std::string b = "1\r\n\r\nOK\r";
    const std::string c = "\n";
    LineFramer framer;
    framer.Append(reinterpret_cast<const std::uint8_t*>(a.data()), a.size(), first);
    framer.Append(reinterpret_cast<const std::uint8_t*>(b.data()), b.size(), second);
    framer.Append(reinterpret_cast<const std::uint8_t*>(c.data()), c.size(), second + std::chrono::milliseconds(5));
    Clock::time_point arrived{};
    std::string taken;
    auto record = framer.Next(&taken, &arrived);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->kind, RespQuietMode);
    EXPECT_EQ(taken, "\r\n+QM,1\r\n");
    EXPECT_EQ(arrived, second);
    record = framer.Next(&taken, &arrived);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->kind, RespOk);
    EXPECT_EQ(arrived, second + std::chrono::milliseconds(5)) << "the OK was whole only once its LF came";
}

// A receive buffer that is not emptied in time drops what does not fit; the lines that come out of it
// and the framer are then fewer, but each is one the device sent, whole, in its order: the two ends of
// a cut line never make one.
TEST(ReceiveBuffer, DroppedBytesCostWholeLinesAndNeverJoinTwo) {
    std::string stream;
    std::vector<std::string> sent;
    for (int n = 0; n < 2000; ++n) {
        sent.push_back(std::to_string(n) + "." + std::to_string(n % 7));
        stream += (n % 5 == 0 ? "\r\n+ACTIVE\r\n" : "") + std::string("\r\n+VER,") + sent.back() + "\r\n";
    }
    std::mt19937 random(23);
    for (const std::size_t drainEvery : {1, 3, 11}) {
        ReceiveBuffer received(64);
        LineFramer framer;
        std::vector<std::string> versions;
        std::size_t chunks = 0;
        for (std::size_t at = 0; at < stream.size();) {
            const std::size_t size = std::min<std::size_t>(stream.size() - at, 1 + random() % 48);
            received.Append(reinterpret_cast<const std::uint8_t*>(stream.data()) + at, size);
            at += size;
            if (++chunks % drainEvery != 0 && at < stream.size()) continue;
            auto taken = received.Take();
            if (taken.breakUnfinished) framer.BreakUnfinished();
            framer.Append(taken.bytes.data(), taken.bytes.size());
            while (auto record = framer.Next()) {
                if (record->kind == RespVersion) versions.push_back(ReadText(*record));
            }
        }
        EXPECT_LE(received.HighWater(), 64u);
        std::size_t next = 0;
        for (const auto& version : versions) {
            const auto found = std::find(sent.begin() + next, sent.end(), version);
            ASSERT_NE(found, sent.end()) << "drained every " << drainEvery << ": a version never sent: " << version;
            next = static_cast<std::size_t>(found - sent.begin()) + 1;
        }
        if (drainEvery == 1) {
            EXPECT_EQ(versions, sent);
        } else {
            EXPECT_LT(versions.size(), sent.size());
        }
    }
}

}  // namespace
}  // namespace q470
