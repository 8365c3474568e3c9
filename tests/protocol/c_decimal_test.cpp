#include "c_decimal.h"

#include <gtest/gtest.h>

#include <limits>

namespace q470 {
namespace {

TEST(CDecimal, ReadsLikeTheCLibraryAndSaturates) {
    struct Case {
        const char* text;
        std::int32_t value;
    };
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    const Case cases[] = {
        {"0", 0},           {"42", 42},         {"  \t+17", 17},     {"-5", -5},      {"12abc", 12},
        {"abc", 0},         {"", 0},            {"-", 0},            {"+-3", 0},      {" 3 4", 3},
        {"007", 7},         {"2147483647", kMax}, {"2147483648", kMax}, {"-2147483648", kMin},
        {"-2147483649", kMin}, {"99999999999999999999", kMax}, {"-99999999999999999999999", kMin},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseCDecimal(c.text), c.value) << '"' << c.text << '"';
}

}  // namespace
}  // namespace q470
