#include "at_command.h"

#include <gtest/gtest.h>

#include <random>

namespace q470::sim {
namespace {

TEST(AtCommand, SplitsKeywordFormAndParameters) {
    struct Case {
        std::string line;
        std::string keyword;
        AtForm form;
        std::vector<std::string> parameters;
    };
    const std::vector<Case> cases = {
        {"AT", "AT", AtForm::Action, {}},
        {"ATZ", "ATZ", AtForm::Action, {}},
        {"AT&F", "AT&F", AtForm::Action, {}},
        {"AT+ASSOCCLR", "AT+ASSOCCLR", AtForm::Action, {}},
        {"AT+INFO?", "AT+INFO", AtForm::Query, {}},
        {"AT+UART=9600,0,0,8", "AT+UART", AtForm::Set, {"9600", "0", "0", "8"}},
        {"AT+QM=", "AT+QM", AtForm::Set, {""}},
        {"AT+GPIOC=,,", "AT+GPIOC", AtForm::Set, {"", "", ""}},
        {"AT+X= 1,\xff", "AT+X", AtForm::Set, {" 1", "\xff"}},  // parameters are checked by their command
        {std::string("AT+P=1\0", 7), "AT+P", AtForm::Set, {std::string("1\0", 2)}},
    };
    for (const auto& c : cases) {
        const auto command = ParseAtCommand(c.line);
        ASSERT_TRUE(command) << c.line;
        EXPECT_EQ(command->keyword, c.keyword) << c.line;
        EXPECT_EQ(command->form, c.form) << c.line;
        EXPECT_EQ(command->parameters, c.parameters) << c.line;
    }
}

TEST(AtCommand, RejectsLinesThatAreNotCommands) {
    for (const std::string line : {"", "A", "at", "At+INFO?", " AT", "AT+INFO??", "AT+INFO?x", "AT+in?", "AT+INFO ",
                                   "AT\r", "\nAT", "ATZ\x01"}) {
        EXPECT_FALSE(ParseAtCommand(line)) << line;
    }
}

TEST(AtCommand, AnyBytesAreSafe) {
    std::mt19937 random(470);
    std::uniform_int_distribution<int> length(0, 300);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 20000; ++i) {
        std::string line = i % 2 ? "AT+" : "";
        for (int n = length(random); n > 0; --n) line += static_cast<char>(byte(random));
        const auto command = ParseAtCommand(line);
        if (command && command->form == AtForm::Set) {
            for (const auto& parameter : command->parameters) ParseDecimalParameter(parameter, 65533);
        }
    }
}

TEST(AtCommand, DecimalParametersArePlainUnsignedNumbersInRange) {
    struct Case {
        std::string text;
        std::uint32_t max;
        std::optional<std::uint32_t> value;
    };
    const std::vector<Case> cases = {
        {"0", 10, 0},
        {"10", 10, 10},
        {"007", 10, 7},
        {"4294967295", 4294967295u, 4294967295u},
        {"11", 10, std::nullopt},
        {"4294967296", 4294967295u, std::nullopt},
        {"99999999999999999999999", 4294967295u, std::nullopt},  // no wrap-around
        {"", 10, std::nullopt},
        {"+1", 10, std::nullopt},
        {"-1", 10, std::nullopt},
        {" 1", 10, std::nullopt},
        {"1 ", 10, std::nullopt},
        {"0x1", 10, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseDecimalParameter(c.text, c.max), c.value) << c.text;
}

TEST(AtCommand, PinMaskIsExactlyFourHexDigits) {
    EXPECT_EQ(ParseHex4Parameter("0001"), 0x0001);
    EXPECT_EQ(ParseHex4Parameter("1000"), 0x1000);
    EXPECT_EQ(ParseHex4Parameter("FFFF"), 0xFFFF);
    EXPECT_EQ(ParseHex4Parameter("abcd"), 0xABCD);
    for (const std::string text : {"", "001", "00001", "000G", " 001", "-001"}) {
        EXPECT_FALSE(ParseHex4Parameter(text)) << text;
    }
}

}  // namespace
}  // namespace q470::sim
