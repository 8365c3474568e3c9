#pragma once

#include <chrono>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "steady_time.h"

namespace q470::sim {

// One stretch of bytes the device sends in one go, or the moment it hangs up.
struct OutputSegment {
    std::string bytes;
    SteadyTime notBefore{};           // it starts no earlier than this
    std::chrono::nanoseconds gap{0};  // nor earlier than this long after the previous segment went out
    bool hangUp = false;              // close the line instead of sending
};

// The device's transmit side: segments go out in order, each at its time, and with a character time
// set, no faster than the line carries them. Times are absolute, so a late wake-up sends what has
// fallen due since instead of pushing the rest of the answer back.
class OutputQueue {
public:
    void SetCharTime(std::chrono::nanoseconds charTime) { charTime_ = charTime; }
    void Push(OutputSegment segment);
    void Clear();
    bool Empty() const { return segments_.empty(); }

    // When the next byte, or the hang-up, falls due; nullopt when nothing is queued.
    std::optional<SteadyTime> NextDue() const;
    bool HangUpDue(SteadyTime now) const;
    // The bytes that may go out by `now`; call Consume with the number actually written.
    std::string_view Due(SteadyTime now) const;
    void Consume(std::size_t count);

private:
    void StartHead();

    std::deque<OutputSegment> segments_;
    std::size_t sent_ = 0;     // bytes of the head segment already written
    SteadyTime headStart_{};   // when the head segment's first byte starts down the line
    SteadyTime lastFinish_{};  // when the previous segment's last byte was through
    std::chrono::nanoseconds charTime_{0};
};

}  // namespace q470::sim
