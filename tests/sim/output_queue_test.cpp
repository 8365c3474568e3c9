#include "output_queue.h"

#include <gtest/gtest.h>

#include "answer_plan.h"

namespace q470::sim {
namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;

const SteadyTime kT0 = SteadyTime{} + std::chrono::hours(1);

// Writes everything due at each millisecond and records when each byte went out.
std::vector<std::pair<char, milliseconds>> Drain(OutputQueue& queue, milliseconds until) {
    std::vector<std::pair<char, milliseconds>> sent;
    for (milliseconds t{0}; t <= until; ++t) {
        for (auto due = queue.Due(kT0 + t); !due.empty(); due = queue.Due(kT0 + t)) {
            for (char c : due) sent.emplace_back(c, t);
            queue.Consume(due.size());
        }
    }
    return sent;
}

TEST(OutputQueue, UnpacedSegmentsGoOutAtTheirTimes) {
    OutputQueue queue;
    queue.Push({"AB", kT0 + milliseconds(5), {}, false});
    queue.Push({"", kT0, {}, false});  // nothing to send: ignored
    queue.Push({"C", kT0, milliseconds(10), false});
    EXPECT_EQ(queue.NextDue(), kT0 + milliseconds(5));
    EXPECT_EQ(queue.Due(kT0 + milliseconds(4)), "");

    const auto sent = Drain(queue, milliseconds(50));
    const std::vector<std::pair<char, milliseconds>> expected = {
        {'A', milliseconds(5)}, {'B', milliseconds(5)}, {'C', milliseconds(15)}};
    EXPECT_EQ(sent, expected);
    EXPECT_TRUE(queue.Empty());
    EXPECT_EQ(queue.NextDue(), std::nullopt);
}

TEST(OutputQueue, PacedBytesAreHandedOverWhenTheirLineTimeIsComplete) {
    OutputQueue queue;
    queue.SetCharTime(milliseconds(2));
    queue.Push({"ABC", kT0, {}, false});
    queue.Push({"D", kT0, milliseconds(3), false});  // a pause after the line is free, not after the push
    EXPECT_EQ(queue.NextDue(), kT0 + milliseconds(2));

    // A late wake-up gets what has fallen due, not the rest of the segment.
    EXPECT_EQ(queue.Due(kT0 + milliseconds(5)), "AB");
    queue.Consume(1);  // a short write
    EXPECT_EQ(queue.Due(kT0 + milliseconds(5)), "B");
    EXPECT_EQ(queue.NextDue(), kT0 + milliseconds(4));
    queue.Consume(1);
    EXPECT_EQ(queue.Due(kT0 + milliseconds(5)), "");
    EXPECT_EQ(queue.NextDue(), kT0 + milliseconds(6));

    const auto sent = Drain(queue, milliseconds(30));
    const std::vector<std::pair<char, milliseconds>> expected = {{'C', milliseconds(6)}, {'D', milliseconds(11)}};
    EXPECT_EQ(sent, expected);
}

TEST(OutputQueue, HangUpWaitsForItsTurn) {
    OutputQueue queue;
    queue.Push({"OK", kT0, {}, false});
    queue.Push({{}, kT0, {}, true});
    EXPECT_FALSE(queue.HangUpDue(kT0));
    queue.Consume(queue.Due(kT0).size());
    EXPECT_TRUE(queue.HangUpDue(kT0));
    EXPECT_EQ(queue.Due(kT0), "");
}

ModemReply VersionReply() {
    ModemReply reply;
    reply.dataLines = {"\r\n+VER,1.5.0\r\n"};
    reply.resultLine = "\r\nOK\r\n";
    return reply;
}

struct PlannedSegment {
    std::string bytes;
    nanoseconds fromArrival;
    nanoseconds gap;
    bool hangUp;
    bool operator==(const PlannedSegment& o) const {
        return bytes == o.bytes && fromArrival == o.fromArrival && gap == o.gap && hangUp == o.hangUp;
    }
};

std::ostream& operator<<(std::ostream& out, const PlannedSegment& s) {
    return out << "{" << testing::PrintToString(s.bytes) << ", +" << s.fromArrival.count() << "ns, gap "
               << s.gap.count() << "ns" << (s.hangUp ? ", hang up" : "") << "}";
}

std::vector<PlannedSegment> Plan(const ModemReply& reply, const CommandFault& fault) {
    std::vector<PlannedSegment> planned;
    for (const auto& segment : PlanAnswer(reply, fault, kT0, milliseconds(30))) {
        planned.push_back({segment.bytes, segment.notBefore - kT0, segment.gap, segment.hangUp});
    }
    return planned;
}

TEST(AnswerPlan, LaysTheFaultsOutOverTheAnswer) {
    using P = std::vector<PlannedSegment>;
    const nanoseconds zero{0};
    const milliseconds ms7{7};
    CommandFault plain;
    EXPECT_EQ(Plan(VersionReply(), plain), (P{{"\r\n+VER,1.5.0\r\n\r\nOK\r\n", zero, zero, false}}));

    CommandFault inject;
    inject.injectBetweenLines = "\r\n+ACTIVE\r\n";
    inject.trailerDelay = milliseconds(50);
    inject.delay = ms7;
    EXPECT_EQ(Plan(VersionReply(), inject), (P{{"\r\n+VER,1.5.0\r\n\r\n+ACTIVE\r\n", ms7, zero, false},
                                               {"\r\nOK\r\n", ms7, milliseconds(50), false}}));

    CommandFault split;
    split.splitAt = {18, 3, 3, 0, 20, 500};  // unsorted, repeated, and at or past either end
    split.splitPause = milliseconds(40);
    EXPECT_EQ(Plan(VersionReply(), split), (P{{"\r\n+", zero, zero, false},
                                              {"VER,1.5.0\r\n\r\nOK", zero, milliseconds(40), false},
                                              {"\r\n", zero, milliseconds(40), false}}));

    ModemReply okOnly;
    okOnly.resultLine = "\r\nOK\r\n";
    okOnly.laterLine = "\r\n+READY\r\n";
    CommandFault trailer;
    trailer.trailerDelay = milliseconds(50);
    trailer.delay = ms7;
    EXPECT_EQ(Plan(okOnly, trailer), (P{{"\r\nOK\r\n", milliseconds(57), zero, false},
                                        {"\r\n+READY\r\n", milliseconds(87), milliseconds(30), false}}));

    CommandFault hangUp;
    hangUp.hangUp = true;
    hangUp.delay = ms7;
    EXPECT_EQ(Plan(VersionReply(), hangUp), (P{{"", ms7, zero, true}}));

    CommandFault silent;
    silent.silent = true;
    EXPECT_EQ(Plan(okOnly, silent), P{});
}

}  // namespace
}  // namespace q470::sim
