#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace q470 {

// The bytes the device link has received on the I/O threads and Execute has not taken yet, capped:
// bytes beyond the cap are dropped, for nobody is taking them. A line the drop cuts is no line: what
// of it is held goes too, and its rest is dropped up to its line end, so the two ends of a cut line
// are never taken for one. Not locked: the device link guards it with its receive mutex.
class ReceiveBuffer {
public:
    explicit ReceiveBuffer(std::size_t cap) : cap_(cap) {}

    // Returns whether a line end came in.
    bool Append(const std::uint8_t* bytes, std::size_t count);

    // What the taker must do with the bytes it takes: first break the unfinished line it holds, when
    // the drop cut a line that began before these bytes.
    struct Taken {
        std::vector<std::uint8_t> bytes;
        bool breakUnfinished = false;
    };
    Taken Take();

    // A new connection: nothing held, no line being dropped.
    void Reset();

    std::size_t Size() const { return bytes_.size(); }
    std::size_t HighWater() const { return highWater_; }

private:
    std::size_t cap_;
    std::vector<std::uint8_t> bytes_;
    bool droppingLine_ = false;     // the rest of a cut line is still coming
    bool breakUnfinished_ = false;  // the cut line began in what the taker already holds
    std::size_t highWater_ = 0;
};

}  // namespace q470
