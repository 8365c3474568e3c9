#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "response_record.h"

namespace q470 {

// Cuts the bytes received from the device into lines and parses each one, however the bytes were
// cut into reads. The device frames every line as CR LF, text, CR LF; every CR and LF ends a line, so
// that one misplaced byte costs no more than the line it sits in. A value is taken only from a line
// that arrived whole: opened by a CR LF among the line ends before it and closed by a CR LF right
// after its text (a stray byte between the CR and the LF counts for nothing). A line that a stray CR,
// LF or NUL cut in two, or that lacks either CR LF, is noise, never a shorter answer; so is a line
// whose text is followed by a stray CR before its CR LF, for its last byte may equally have been
// replaced. The CR LF that closes a line may open the next one. A line is taken only once what
// follows it tells whether it was whole, so the same lines come out whether the stream arrives whole,
// byte by byte or in any other pieces. A line that grows past the longest frame is dropped as it
// arrives and reported as ResultTooLong when it ends: the framer never holds more than one line's
// worth of an unfinished line.
class LineFramer {
public:
    using Clock = std::chrono::steady_clock;

    // `arrived`: when these bytes came in; the lines they end are timed by it.
    void Append(const std::uint8_t* bytes, std::size_t count, Clock::time_point arrived = {});
    // Bytes were lost after those appended so far (the receive buffer was full): the unfinished line
    // held is no line. The bytes appended next start at a CR LF the device sent after the loss.
    void BreakUnfinished();

    // The next line, parsed (ResultBadResponse for noise), or nullptr when no more can be told yet.
    // `taken`, when given, receives the bytes the call consumed: the line ends before the line, the
    // line itself and, for a whole line, the CR LF that closes it; `arrived` when the last of them
    // came in.
    ResponseRecordPtr Next(std::string* taken = nullptr, Clock::time_point* arrived = nullptr);

    // The start of an unfinished line held, behind the last line end; empty when there is none.
    std::string_view Unfinished() const;
    // Every byte held and not yet taken: what never became a line when nothing more comes.
    std::string_view Pending() const;
    // When the last byte held came in.
    Clock::time_point LastArrival() const;

    // Forgets every byte held. A line whose CR LF came before it is stale: whatever of it still
    // arrives has no CR LF of its own before it and is noise.
    void Clear();

    // Bytes held: the last line end before a line that is not complete yet, and that line's start.
    std::size_t Size() const { return buffer_.size() - head_; }

private:
    struct Arrival {
        std::uint64_t end;  // the stream's bytes before this position had come in by `time`
        Clock::time_point time;
    };

    void Consume(std::size_t count, std::string* taken, Clock::time_point* arrived);
    ResponseRecordPtr EndDroppedLine(std::string* taken, Clock::time_point* arrived);

    std::vector<std::uint8_t> buffer_;
    std::size_t head_ = 0;    // bytes before it are taken
    std::uint64_t base_ = 0;  // the stream position of buffer_[0]
    std::deque<Arrival> arrivals_;
    bool opened_ = false;            // the line ends since the last text hold a CR LF
    bool droppingOverlong_ = false;  // inside a line that grew too long: dropped up to its line end
};

}  // namespace q470
