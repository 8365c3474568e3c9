#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "response_record.h"

namespace q470 {

// Cuts the bytes received from the device into lines and parses each one, however the bytes were
// cut into reads: every CR and every LF ends a line (IsLineEnd), empty lines are skipped, and a line
// is taken only once the line end that closes it has arrived, so the same lines come out whether the
// stream arrives whole, byte by byte or in any other pieces. A line that grows past the longest frame
// is dropped as it arrives and reported as ResultTooLong when it ends: the framer never holds more
// than one line's worth of an unfinished line, and no tail of an overlong line is ever taken for a
// line of its own.
class LineFramer {
public:
    void Append(const std::uint8_t* bytes, std::size_t count);
    // Bytes were lost after those appended so far (the receive buffer was full) and the rest of the
    // line they cut has been thrown away up to its line end: the unfinished line held is no line, and
    // the next byte appended starts a new one. Complete lines held stay.
    void BreakUnfinished();

    // The next complete line, parsed (ResultBadResponse for noise), or nullptr when none is complete.
    // `taken`, when given, receives the bytes the call consumed: the line ends before the line, the
    // line itself and its closing line end.
    ResponseRecordPtr Next(std::string* taken = nullptr);

    // The start of an unfinished line held, behind the last line end; empty when there is none.
    std::string_view Unfinished() const;

    // Forgets every byte held. An unfinished line is remembered as such: whatever of it still arrives
    // up to its line end is dropped, not taken for a line.
    void Clear();

    // Bytes held: complete lines not yet taken and the start of an unfinished one.
    std::size_t Size() const { return buffer_.size() - head_; }

private:
    void Consume(std::size_t count, std::string* taken);
    ResponseRecordPtr EndDroppedLine(std::string* taken);

    std::vector<std::uint8_t> buffer_;
    std::size_t head_ = 0;  // bytes before it are taken
    // Inside a line whose bytes are dropped until its line end: one that grew too long (it is reported
    // as ResultTooLong), or one whose start Clear threw away (the rest is noise).
    enum class Dropping { Nothing, OverlongLine, BrokenLine };
    Dropping dropping_ = Dropping::Nothing;
};

}  // namespace q470
