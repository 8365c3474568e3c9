#include "narrow_text.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace q470 {
namespace {

#ifdef _WIN32

// Windows narrows to the ANSI code page, which is there the encoding of device texts and port names: what
// the code page holds round-trips, anything else becomes its default character.
TEST(NarrowText, AnsiCodePageOnWindows) {
    for (const std::u16string text : {u"", u"COM3", u"Q470R 1.5.0"}) {
        EXPECT_EQ(NarrowToWide(WideToNarrow(text)), text);
    }
    const UINT codePage = GetACP();
    if (codePage == 949) {
        EXPECT_EQ(NarrowToWide(WideToNarrow(u"설정 모드")), u"설정 모드");
        EXPECT_EQ(WideToNarrow(u"설정"), "\xBC\xB3\xC1\xA4");
    } else if (codePage != CP_UTF8) {
        EXPECT_EQ(WideToNarrow(u"설정"), "??") << "code page " << codePage;
    }
}

#else

TEST(NarrowText, RoundTripsAsciiKoreanAndAstralText) {
    for (const std::u16string text : {u"", u"COM3", u"/dev/ttyUSB0", u"설정 모드", u"a\U0001F600b"}) {
        EXPECT_EQ(NarrowToWide(WideToNarrow(text)), text);
    }
    EXPECT_EQ(WideToNarrow(u"설정"), "\xEC\x84\xA4\xEC\xA0\x95");
}

TEST(NarrowText, MalformedInputIsReplacedNotThrown) {
    EXPECT_EQ(NarrowToWide("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(NarrowToWide("\xE1\x80"), u"\uFFFD\uFFFD");       // truncated sequence
    EXPECT_EQ(NarrowToWide("\xC0\xAF"), u"\uFFFD");             // overlong encoding of '/'
    EXPECT_EQ(NarrowToWide("\xED\xA0\x80"), u"\uFFFD");         // encoded surrogate
    EXPECT_EQ(WideToNarrow(std::u16string(1, char16_t(0xD800)) + u"x"), "?x");
}

// File names are bytes: whatever they hold comes back byte for byte, and what is UTF-8 reads as text.
TEST(NarrowText, BytesSurviveTheWayThroughUtf16) {
    for (const std::string& bytes : {std::string("caf\xE9.json"), std::string("\xFF\xFE"), std::string("\xE1\x80"),
                                     std::string("\xC0\xAF"), std::string("\xED\xA0\x80"), std::string("a\0b", 3),
                                     std::string("\xEF\xBF\xBD"), std::string("\xEC\x84\xA4\xE9")}) {
        EXPECT_EQ(WideToNarrow(BytesToWide(bytes)), bytes);
    }
    EXPECT_EQ(BytesToWide("caf\xE9"), u"caf\xDCE9");
    EXPECT_EQ(BytesToWide("\xEC\x84\xA4"), u"설");
    EXPECT_EQ(BytesToWide("\xEF\xBF\xBD"), u"\uFFFD");
}

#endif

}  // namespace
}  // namespace q470
