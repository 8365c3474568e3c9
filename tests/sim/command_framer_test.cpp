#include "command_framer.h"

#include <gtest/gtest.h>

namespace q470::sim {
namespace {

using std::chrono::milliseconds;

const SteadyTime kT0 = SteadyTime{} + std::chrono::hours(1);

std::vector<std::string> Texts(const std::vector<ReceivedCommand>& commands) {
    std::vector<std::string> texts;
    for (const auto& command : commands) texts.push_back(command.bytes);
    return texts;
}

std::vector<std::string> Frame(const std::vector<std::string>& writes) {
    CommandFramer framer;
    std::vector<ReceivedCommand> commands;
    for (const auto& bytes : writes) framer.Feed(bytes, kT0, {}, commands);
    return Texts(commands);
}

TEST(CommandFramer, CutsCommandsAtCrAndDropsTheLfThatFollows) {
    using Texts = std::vector<std::string>;
    EXPECT_EQ(Frame({"AT\rAT+VER?\r"}), (Texts{"AT\r", "AT+VER?\r"}));
    EXPECT_EQ(Frame({"AT+V", "ER?", "\r"}), (Texts{"AT+VER?\r"}));
    EXPECT_EQ(Frame({"AT\r\nAT\r\n"}), (Texts{"AT\r", "AT\r"}));
    EXPECT_EQ(Frame({"AT\r", "\nAT\r"}), (Texts{"AT\r", "AT\r"}));  // across two reads too
    EXPECT_EQ(Frame({"\nAT\r"}), (Texts{"\nAT\r"}));                // an LF elsewhere is part of the line
    EXPECT_EQ(Frame({"AT\r\n\nAT\r"}), (Texts{"AT\r", "\nAT\r"}));
    EXPECT_EQ(Frame({"\r\r"}), (Texts{"\r", "\r"}));
    EXPECT_EQ(Frame({"AT+VER?"}), Texts{});  // no CR yet
}

TEST(CommandFramer, OverlongLineIsCutAndMarked) {
    CommandFramer framer;
    std::vector<ReceivedCommand> commands;
    const std::string limit(CommandFramer::kMaxCommandBytes, 'A');
    framer.Feed(limit + "\r", kT0, {}, commands);
    for (int i = 0; i < 100; ++i) framer.Feed(std::string(1000, 'B'), kT0, {}, commands);
    framer.Feed("\rAT\r", kT0, {}, commands);

    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].bytes, limit + "\r");
    EXPECT_FALSE(commands[0].overlong);
    EXPECT_EQ(commands[1].bytes, std::string(CommandFramer::kMaxCommandBytes, 'B') + "\r");
    EXPECT_TRUE(commands[1].overlong);
    EXPECT_EQ(commands[2].bytes, "AT\r");
    EXPECT_FALSE(commands[2].overlong);
}

TEST(CommandFramer, PacedLineDeliversEachByteAfterItsCharacterTime) {
    CommandFramer framer;
    std::vector<ReceivedCommand> commands;
    const milliseconds charTime{1};
    framer.Feed("AT\r", kT0, charTime, commands);                       // through at 3 ms
    framer.Feed("ATZ\r\n", kT0 + milliseconds(1), charTime, commands);  // queued behind: 4 more, then the LF
    framer.Feed("AT\r", kT0 + milliseconds(100), charTime, commands);   // the line was idle
    framer.Feed("AT\r", kT0 + milliseconds(100), milliseconds(0), commands);

    ASSERT_EQ(commands.size(), 4u);
    EXPECT_EQ(commands[0].arrival, kT0 + milliseconds(3));
    EXPECT_EQ(commands[1].arrival, kT0 + milliseconds(7));
    EXPECT_EQ(commands[2].arrival, kT0 + milliseconds(103));
    EXPECT_EQ(commands[3].arrival, kT0 + milliseconds(103));  // never before what is already on the line
}

}  // namespace
}  // namespace q470::sim
