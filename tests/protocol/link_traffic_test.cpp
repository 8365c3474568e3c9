#include "link_traffic.h"

#include <gtest/gtest.h>

#include <string>

#include "traffic_log.h"

namespace q470 {
namespace {

TEST(LinkTraffic, EscapesEveryByteThatIsNotPrintable) {
    EXPECT_EQ(EscapeTraffic(std::string("\r\n+VER,1.5\\x\r\n\0\xE9\x7F~", 18)),
              "\\r\\n+VER,1.5\\\\x\\r\\n\\x00\\xE9\\x7F~");
}

// The view's log keeps the newest entries; a view that looks again gets only what is new, and one
// that fell behind gets what is still there.
TEST(TrafficLog, KeepsTheNewestAndHandsOutWhatIsNew) {
    TrafficLog log(3);
    EXPECT_TRUE(log.Since(0).empty());
    for (int i = 0; i < 5; ++i) log.Add(LinkTraffic::Answer, std::to_string(i));
    const auto held = log.Since(0);
    ASSERT_EQ(held.size(), 3u);
    EXPECT_EQ(held.front().bytes, "2");
    EXPECT_EQ(held.front().number, 2u);
    EXPECT_EQ(log.Next(), 5u);
    log.Add(LinkTraffic::Sent, "AT\r");
    const auto fresh = log.Since(5);
    ASSERT_EQ(fresh.size(), 1u);
    EXPECT_EQ(fresh[0].traffic, LinkTraffic::Sent);
    EXPECT_TRUE(log.Since(6).empty());
}

}  // namespace
}  // namespace q470
