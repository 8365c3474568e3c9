#include "cli_text.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "discover_report.h"
#include "json_out.h"
#include "model_kind.h"
#include "standard_stream.h"
#include "text_width.h"
#include "tool_text.h"

namespace q470 {
namespace {

// The placeholders a text fills: each language must ask for the same ones.
std::set<char> Placeholders(const std::string& text) {
    std::set<char> found;
    for (std::size_t i = 0; i + 2 < text.size(); ++i) {
        if (text[i] == '{' && text[i + 2] == '}' && text[i + 1] >= '0' && text[i + 1] <= '9') found.insert(text[i + 1]);
    }
    return found;
}

TEST(ToolText, EveryTextHasBothLanguagesWithTheSamePlaceholders) {
    for (int id = 0; id < static_cast<int>(ToolText::Count); ++id) {
        const std::string korean = ToolTextUtf8(static_cast<ToolText>(id), UiLanguage::Korean);
        const std::string english = ToolTextUtf8(static_cast<ToolText>(id), UiLanguage::English);
        EXPECT_NE(korean, "") << id;
        EXPECT_NE(english, "") << id;
        EXPECT_EQ(Placeholders(korean), Placeholders(english)) << english;
    }
    const CliText korean(UiLanguage::Korean);
    EXPECT_EQ(korean.Text(ToolText::GpioPinTwice, {"5"}), "gpio: 5번 핀이 두 번 주어졌습니다");
    EXPECT_EQ(CliText(UiLanguage::English).Text(ToolText::RangeTo, {"{1}", "9"}), "{1} to 9") << "filled once";
}

TEST(CliLanguage, TheLocaleOfMessagesDecidesUnlessQ470LangDoes) {
    struct Case {
        const char* q470Lang;
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        UiLanguage language;
    };
    constexpr auto ko = UiLanguage::Korean;
    constexpr auto en = UiLanguage::English;
    const Case cases[] = {
        {nullptr, nullptr, nullptr, "ko_KR.UTF-8", ko},
        {nullptr, nullptr, "ko_KR.UTF-8", "en_US.UTF-8", ko},
        {nullptr, "C", "ko_KR.UTF-8", "ko_KR.UTF-8", en},
        {nullptr, "", "", "ko", ko},  // empty counts as not set
        {nullptr, "ko_KR", nullptr, nullptr, ko},
        {nullptr, "kok_IN.UTF-8", nullptr, nullptr, en},  // Konkani, not Korean
        {nullptr, "en_GB.UTF-8", nullptr, "ko_KR.UTF-8", en},
        {"en", "ko_KR.UTF-8", nullptr, nullptr, en},
        {" KO ", "C", nullptr, nullptr, ko},
        {"fr", "ko_KR.UTF-8", nullptr, nullptr, ko},  // an unknown Q470_LANG leaves the decision to the locale
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LanguageFromEnvironment(c.q470Lang, c.lcAll, c.lcMessages, c.lang), c.language)
            << (c.lcAll ? c.lcAll : "-") << " " << (c.lcMessages ? c.lcMessages : "-") << " "
            << (c.lang ? c.lang : "-");
    }
}

TEST(JsonText, WhatIsNotUtf8IsWrittenAsItsBytes) {
    EXPECT_EQ(ValidUtf8("caf\xC3\xA9 설정"), "caf\xC3\xA9 설정");
    EXPECT_EQ(ValidUtf8("caf\xE9.json"), "caf\\xE9.json");
    EXPECT_EQ(ValidUtf8("\xED\xA0\x80"), "\\xED\\xA0\\x80");           // an encoded surrogate
    EXPECT_EQ(ValidUtf8("\xC0\xAF"), "\\xC0\\xAF");                    // an overlong '/'
    EXPECT_EQ(ValidUtf8("\xF4\x90\x80\x80"), "\\xF4\\x90\\x80\\x80");  // beyond U+10FFFF
    EXPECT_EQ(ValidUtf8("\xE1\x80"), "\\xE1\\x80");                    // cut short
    EXPECT_EQ(ValidUtf8("\xF0\x9F\x98\x80"), "\xF0\x9F\x98\x80");
}

TEST(StandardStream, TheNamesOfTheToolsOwnStreams) {
    EXPECT_EQ(StandardStreamOf("-", false), 0);
    EXPECT_EQ(StandardStreamOf("-", true), 1);
    EXPECT_EQ(StandardStreamOf("q470r.json", true), std::nullopt);
    EXPECT_EQ(StandardStreamOf("./-", true), std::nullopt);
#ifndef _WIN32
    EXPECT_EQ(StandardStreamOf("/dev/stdout", true), 1);
    EXPECT_EQ(StandardStreamOf("/dev/stdin", false), 0);
    EXPECT_EQ(StandardStreamOf("/dev/fd/63", false), 63);
    EXPECT_EQ(StandardStreamOf("/proc/self/fd/1", true), 1);
    EXPECT_EQ(StandardStreamOf("/dev/fd/x", true), std::nullopt);
    EXPECT_EQ(StandardStreamOf("/dev/ttyUSB0", true), std::nullopt);
#endif
}

// Hangul takes two columns on a terminal: a Korean table lines up by columns, not bytes.
TEST(DiscoveryTable, KoreanColumnsLineUp) {
    EXPECT_EQ(DisplayWidth("PORT"), 4u);
    EXPECT_EQ(DisplayWidth("통신 설정"), 9u);
    EXPECT_EQ(DisplayWidth("caf\xE9"), 4u);  // a byte that is not UTF-8 takes one

    PortDiscovery found;
    found.port = "/dev/ttyUSB0";
    found.outcome = DiscoveryOutcome::Found;
    found.line = ConnectionLine{57600, 8, 0, 0};
    found.identity.modelKind = ModelKs410;
    found.identity.firmware = "1.5.0";
    PortDiscovery empty;
    empty.port = "/dev/ttyS0";
    const CliText korean(UiLanguage::Korean);
    std::ostringstream out;
    WriteDiscoveryTable({DiscoveryRecord(found, true, korean), DiscoveryRecord(empty, false, korean)}, korean, out);

    std::istringstream lines(out.str());
    std::vector<std::size_t> columns;
    for (std::string line; std::getline(lines, line);) {
        std::size_t at = line.find("통신 설정");
        if (at == std::string::npos) at = line.find("57600 8N1");
        if (at == std::string::npos) at = line.find(" - ") + 1;
        columns.push_back(DisplayWidth(line.substr(0, at)));
    }
    ASSERT_EQ(columns.size(), 3u) << out.str();
    EXPECT_EQ(columns[0], columns[1]) << out.str();
    EXPECT_EQ(columns[0], columns[2]) << out.str();
}

}  // namespace
}  // namespace q470
