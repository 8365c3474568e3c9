#include "response_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace q470 {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

std::string Text(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

// Each step: one ExtractFrame call, the kind it returns and what stays in the buffer.
struct Step {
    std::int32_t kind;
    std::string remaining;
};

struct Case {
    const char* name;
    std::string buffer;
    std::vector<Step> steps;
};

TEST(ExtractFrame, ConsumesAtMostOneFrameAndNothingIncomplete) {
    const std::vector<Case> cases = {
        {"empty buffer", "", {{ResultInvalidInput, ""}}},
        {"version then empty line then OK",
         "\r\n+VER,1.5.0\r\n\r\nOK\r\n",
         {{RespVersion, "\r\nOK\r\n"}, {RespOk, ""}, {ResultInvalidInput, ""}}},
        {"OK without its closing line end", "\r\nOK", {{ResultBadResponse, "\r\nOK"}}},
        {"closing CR is the last byte", "\r\nOK\r", {{ResultBadResponse, "\r\nOK\r"}}},
        {"fewer than four bytes after a CR", "\r\nO", {{ResultBadResponse, "\r\nO"}}},
        {"echoed command before the answer",
         "AT\r\r\nOK\r\n",
         {{ResultBadResponse, "\r\r\nOK\r\n"}, {RespOk, ""}}},
        {"echo without its CR yet stays", "AT+QM", {{ResultBadResponse, "AT+QM"}}},
        {"stray line ends are skipped", "\n\r\r\n+QM,1\r\n", {{RespQuietMode, ""}}},
        {"several empty lines", "\r\n\r\n\r\n\r\nOK\r\n", {{RespOk, ""}}},
        {"a single character before a CR is skipped like a stray line end",
         "X\r\nOK\r\n",
         {{RespOk, ""}}},
        {"CR LF text CR without LF makes the first CR stray",
         "\r\nOK\rX\r\nERROR\r\n",
         {{ResultBadResponse, "\rX\r\nERROR\r\n"}, {RespError, ""}}},
        {"two complete lines need two calls",
         "\r\n+ACTIVE\r\n\r\nOK\r\n",
         {{RespActive, "\r\nOK\r\n"}, {RespOk, ""}}},
        {"only stray bytes are all consumed", "\n\n\n", {{ResultBadResponse, ""}}},
        {"a line of 256 bytes", "\r\n" + std::string(252, 'x') + "\r\n", {{ResultTooLong, ""}}},
    };
    for (const auto& c : cases) {
        auto buffer = Bytes(c.buffer);
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            const auto record = ExtractFrame(buffer);
            ASSERT_TRUE(record);
            EXPECT_EQ(record->kind, c.steps[i].kind) << c.name << ", call " << i;
            EXPECT_EQ(Text(buffer), c.steps[i].remaining) << c.name << ", call " << i;
        }
    }
}

// An answer that arrives a byte at a time is produced exactly once, when its last byte is there,
// and no byte is lost on the way.
TEST(ExtractFrame, AnswerArrivingInPieces) {
    const std::string stream = "AT+INFO?\r\r\n+INFO,00124B001A2B3C4D,P2P,COORD,ACT,1\r\n\r\nOK\r\n";
    std::vector<std::uint8_t> buffer;
    std::vector<std::int32_t> kinds;
    for (char c : stream) {
        buffer.push_back(static_cast<std::uint8_t>(c));
        while (buffer.size() >= 4) {
            const std::size_t before = buffer.size();
            const auto record = ExtractFrame(buffer);
            if (record->kind != ResultBadResponse) kinds.push_back(record->kind);
            if (buffer.size() == before) break;
        }
    }
    EXPECT_EQ(kinds, (std::vector<std::int32_t>{RespInfo, RespOk}));
    EXPECT_TRUE(buffer.empty());
}

TEST(ExtractFrame, ViewFormReportsConsumedBytes) {
    const std::string text = "\r\nOK\r\n\r\nERR";
    std::size_t consumed = 99;
    const auto record = ExtractFrame(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), consumed);
    EXPECT_EQ(record->kind, RespOk);
    EXPECT_EQ(consumed, 6u);
}

}  // namespace
}  // namespace q470
