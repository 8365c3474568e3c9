#include "cli_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "discover_report.h"
#include "format_conversions.h"
#include "json_out.h"
#include "message_catalog.h"
#include "model_kind.h"
#include "plural_rule.h"
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

TEST(ToolText, TheKoreanCatalogueTranslatesEveryTextWithTheSamePlaceholders) {
    const CliText korean(UiLanguage::Korean);
    const CliText english(UiLanguage::English);
    for (int id = 0; id < static_cast<int>(ToolText::Count); ++id) {
        const std::string source = english.Text(static_cast<ToolText>(id));
        const std::string translated = korean.Text(static_cast<ToolText>(id));
        EXPECT_NE(source, "") << id;
        EXPECT_NE(translated, source) << source;
        EXPECT_EQ(Placeholders(translated), Placeholders(source)) << source;
    }
    EXPECT_EQ(korean.Text(ToolText::GpioPinTwice, {"5"}), "gpio: 5번 핀이 두 번 주어졌습니다");
    EXPECT_EQ(korean.Text(UiText::ApplyGeneralDone),
              "기본설정 적용을 완료하였습니다.\n변경된 설정값은 장치 재시작 후 적용됩니다.");
    EXPECT_EQ(english.Text(ToolText::RangeTo, {"{1}", "9"}), "{1} to 9") << "filled once";
}

// A compiled catalogue as msgfmt lays it out: the header, then "key\x04source" translated, in either byte
// order.
std::string CompiledCatalog(bool bigEndian) {
    const std::vector<std::pair<std::string, std::string>> entries{{"", "Content-Type: text/plain; charset=UTF-8\n"},
                                                                   {std::string("Greeting\x04Hello", 14), "안녕"}};
    std::string bytes;
    const auto word = [&](std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * (bigEndian ? 3 - i : i)));
    };
    const auto count = static_cast<std::uint32_t>(entries.size());
    const std::uint32_t originals = 28;
    const std::uint32_t translations = originals + 8 * count;
    std::uint32_t text = translations + 8 * count;
    word(0x950412de);
    word(0);
    word(count);
    word(originals);
    word(translations);
    word(0);
    word(0);
    std::string texts;
    for (const bool translated : {false, true}) {
        for (const auto& [original, translation] : entries) {
            const std::string& string = translated ? translation : original;
            word(static_cast<std::uint32_t>(string.size()));
            word(text + static_cast<std::uint32_t>(texts.size()));
            texts += string + '\0';
        }
    }
    return bytes + texts;
}

TEST(MessageCatalog, ReadsEitherByteOrderAndRefusesWhatIsCutShortOrPointsOutside) {
    for (const bool bigEndian : {false, true}) {
        const std::string bytes = CompiledCatalog(bigEndian);
        const auto catalog = MessageCatalog::Parse(bytes);
        ASSERT_TRUE(catalog.has_value()) << bigEndian;
        EXPECT_EQ(catalog->Translate({"Hello", "Greeting", nullptr}), "안녕");
        EXPECT_EQ(catalog->Translate({"Hello", "Farewell", nullptr}), "Hello") << "another key is another text";
        EXPECT_EQ(catalog->Translate({"Bye", "Greeting", nullptr}), "Bye") << "untranslated: the source";
        for (std::size_t size = 0; size + 1 < bytes.size(); ++size)
            EXPECT_FALSE(MessageCatalog::Parse(bytes.substr(0, size)).has_value()) << size;
    }
    std::string outside = CompiledCatalog(false);
    outside[28 + 8 + 4] = '\xff';  // the second original's offset, far past the end
    EXPECT_FALSE(MessageCatalog::Parse(outside).has_value());
    EXPECT_FALSE(MessageCatalog::Parse("not a catalogue at all").has_value());
}

TEST(PluralRule, ChoosesEachLanguagesFormAndRefusesWhatItCannotRead) {
    const std::string polish = "nplurals=3; plural=(n==1 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2);";
    struct Case {
        std::string forms;
        std::vector<std::pair<unsigned long, unsigned long>> formOf;
    };
    const Case cases[] = {
        {"nplurals=1; plural=0;", {{0, 0}, {1, 0}, {7, 0}}},
        {"nplurals=2; plural=(n != 1);", {{0, 1}, {1, 0}, {2, 1}}},
        {"nplurals=2; plural=n>1;", {{0, 0}, {1, 0}, {2, 1}}},
        {polish, {{1, 0}, {3, 1}, {13, 2}, {22, 1}, {25, 2}, {112, 2}}},
        {"nplurals=2; plural=n>=5 ? 7 : !n;", {{0, 1}, {6, 0}}},  // a form past the last is the first
        {"nplurals=2; plural=n%0;", {{3, 0}}},                    // no division by zero
    };
    for (const auto& c : cases) {
        const auto rule = PluralRule::FromHeader("Language: x\nPlural-Forms: " + c.forms + "\n");
        ASSERT_TRUE(rule.has_value()) << c.forms;
        for (const auto& [n, form] : c.formOf) EXPECT_EQ(rule->FormOf(n), form) << c.forms << " n=" << n;
    }
    const std::string deep = std::string(100, '(') + "n" + std::string(100, ')');  // nested past the bound
    const std::vector<std::string> unreadable{
        "nplurals=2; plural=(n != ;", "nplurals=0; plural=0;", "plural=n;",
        "nplurals=2; plural=n ? 1;",  "nplurals=2; plural=m;", "nplurals=2; plural=" + deep + ";"};
    for (const std::string& forms : unreadable)
        EXPECT_FALSE(PluralRule::FromHeader("Plural-Forms: " + forms + "\n").has_value()) << forms.substr(0, 40);
    EXPECT_FALSE(PluralRule::FromHeader("Language: ko\n").has_value());
}

TEST(CliText, ACountChoosesTheFormOfTheLanguage) {
    const CliText english(UiLanguage::English);
    EXPECT_EQ(english.Count(ToolText::ConsoleLinesNotShown, 1, {"1"}),
              "1 line the device sent was not shown: the output did not keep up");
    EXPECT_EQ(english.Count(ToolText::ConsoleLinesNotShown, 3, {"3"}),
              "3 lines the device sent were not shown: the output did not keep up");
    const CliText korean(UiLanguage::Korean);
    for (const unsigned long count : {1ul, 3ul}) {
        EXPECT_EQ(korean.Count(ToolText::ConsoleLinesNotShown, count, {std::to_string(count)}),
                  "출력이 따라가지 못해 장치가 보낸 " + std::to_string(count) + "줄을 표시하지 않았습니다");
    }
}

// A translation is used only where it reads the arguments its source is given.
TEST(FormatConversions, ATranslationMustAskForTheSameArgumentsInTheSameOrder) {
    struct Case {
        const char* source;
        const char* translation;
        bool same;
    };
    const Case cases[] = {
        {"%s: %u", "%s — %u번", true},
        {"%lld to %lld", "%lld~%lld", true},
        {"100%% of %s", "%s의 100%%", true},
        {"%5.1f ms", "%.0f ms", true},
        {"no format", "형식 없음", true},
        {"%s: %u", "%u: %s", false},
        {"%d", "%ld", false},
        {"%s", "%s %s", false},
        {"%s", "", false},
        {"%u changes", "%s개 변경", false},
    };
    for (const auto& c : cases) EXPECT_EQ(SameConversions(c.source, c.translation), c.same) << c.translation;
}

TEST(CliLanguage, TheLocaleOfMessagesDecidesUnlessQ470LangDoes) {
    struct Case {
        const char* q470Lang;
        const char* language;
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        const char* chosen;
    };
    const Case cases[] = {
        {nullptr, nullptr, nullptr, nullptr, "ko_KR.UTF-8", "ko"},
        {nullptr, nullptr, nullptr, "ko_KR.UTF-8", "en_US.UTF-8", "ko"},
        {nullptr, nullptr, "C", "ko_KR.UTF-8", "ko_KR.UTF-8", ""},
        {nullptr, nullptr, "", "", "ko", "ko"},  // empty counts as not set
        {nullptr, nullptr, "ko_KR", nullptr, nullptr, "ko"},
        {nullptr, nullptr, "kok_IN.UTF-8", nullptr, nullptr, ""},  // Konkani, not Korean
        {nullptr, nullptr, "en_GB.UTF-8", nullptr, "ko_KR.UTF-8", ""},
        {nullptr, nullptr, "de_AT.UTF-8", nullptr, nullptr, "de"},  // a catalogue of the language, not the country
        {"en", nullptr, "ko_KR.UTF-8", nullptr, nullptr, ""},
        {" KO ", nullptr, "C", nullptr, nullptr, "ko"},
        {"fr", nullptr, "ko_KR.UTF-8", nullptr, nullptr,
         "ko"},  // a Q470_LANG without catalogue leaves it to the locale
        {"de", nullptr, "ko_KR.UTF-8", nullptr, nullptr, "de"},
        // LANGUAGE lists the languages to try first, except in the C locale.
        {nullptr, "fr:de:ko", "ko_KR.UTF-8", nullptr, nullptr, "de"},
        {nullptr, "en:ko", "ko_KR.UTF-8", nullptr, nullptr, ""},
        {nullptr, "de", "C.UTF-8", nullptr, nullptr, ""},
    };
    const auto hasCatalog = [](const std::string& name) { return name == "ko" || name == "de"; };
    for (const auto& c : cases) {
        EXPECT_EQ(MessageLanguage(c.q470Lang, c.language, c.lcAll, c.lcMessages, c.lang, hasCatalog), c.chosen)
            << (c.q470Lang ? c.q470Lang : "-") << " " << (c.language ? c.language : "-") << " "
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
