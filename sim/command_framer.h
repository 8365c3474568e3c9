#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "steady_time.h"

namespace q470::sim {

struct ReceivedCommand {
    std::string bytes;      // as received, CR included; at most kMaxCommandBytes before the CR
    bool overlong = false;  // bytes beyond the limit were dropped; the device answers ERROR
    SteadyTime arrival;     // when the CR has come down the line
};

// Cuts the received byte stream into command lines. A command ends at CR; an LF right after a CR is
// dropped; a line that grows beyond kMaxCommandBytes keeps its first bytes only, so a peer that never
// sends CR cannot grow the buffer.
class CommandFramer {
public:
    static constexpr std::size_t kMaxCommandBytes = 255;

    // `charTime` is the line time of one character when the line is paced, zero otherwise: a byte read
    // at `readTime` has arrived only once it and every byte before it have had their line time.
    void Feed(std::string_view bytes, SteadyTime readTime, std::chrono::nanoseconds charTime,
              std::vector<ReceivedCommand>& commands);
    void Reset();

private:
    std::string pending_;
    bool overlong_ = false;
    bool afterCr_ = false;
    SteadyTime lineFreeAt_{};
};

}  // namespace q470::sim
