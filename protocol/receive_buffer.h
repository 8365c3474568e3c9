#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace q470 {

// The bytes the device link has received on the I/O threads and Execute has not taken yet, capped,
// each read with the time it came in. Bytes beyond the cap are dropped, for nobody is taking them. A
// line the drop cuts is no line: what of it is held goes too, and the bytes after it are dropped up to
// the next CR LF the device sends, so that neither the two ends of a cut line nor its tail after a
// stray line end are ever taken for a line. Not locked: the device link guards it with its receive
// mutex.
class ReceiveBuffer {
public:
    using Clock = std::chrono::steady_clock;

    explicit ReceiveBuffer(std::size_t cap) : cap_(cap) {}

    // Returns whether a line end came in.
    bool Append(const std::uint8_t* bytes, std::size_t count, Clock::time_point arrived = {});

    // The bytes before `end` had come in by `arrived`.
    struct Piece {
        std::size_t end = 0;
        Clock::time_point arrived;
    };
    // What the taker must do with the bytes it takes: first break the unfinished line it holds, when
    // the drop cut a line that began before these bytes.
    struct Taken {
        std::vector<std::uint8_t> bytes;
        std::vector<Piece> pieces;
        bool breakUnfinished = false;
    };
    Taken Take();

    // A new connection: nothing held, no line being dropped.
    void Reset();

    std::size_t Size() const { return bytes_.size(); }
    std::size_t HighWater() const { return highWater_; }

private:
    // Drops the start of a cut line held; from now on bytes are dropped up to the next CR LF.
    void CutLine();
    // While dropping: the position in [next, end) of the LF of the next CR LF, or `end`.
    const std::uint8_t* ResumePoint(const std::uint8_t* next, const std::uint8_t* end);
    void NotePiece(Clock::time_point arrived);

    std::size_t cap_;
    std::vector<std::uint8_t> bytes_;
    std::vector<Piece> pieces_;
    bool droppingLine_ = false;     // the rest of a cut line is still coming
    bool droppedCr_ = false;        // and the last byte dropped was a CR
    bool breakUnfinished_ = false;  // the cut line began in what the taker already holds
    std::size_t highWater_ = 0;
};

}  // namespace q470
