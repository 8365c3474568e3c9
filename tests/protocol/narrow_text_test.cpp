#include "narrow_text.h"

#include <gtest/gtest.h>

namespace q470 {
namespace {

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

}  // namespace
}  // namespace q470
