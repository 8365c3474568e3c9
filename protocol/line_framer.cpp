#include "line_framer.h"

#include <algorithm>

#include "response_parser.h"

namespace q470 {
namespace {

constexpr std::size_t kOpeningBytes = 2;  // CR LF

}  // namespace

void LineFramer::Append(const std::uint8_t* bytes, std::size_t count) {
    // What was taken goes now; at most an unfinished line is moved.
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(head_));
    head_ = 0;
    buffer_.insert(buffer_.end(), bytes, bytes + count);
}

void LineFramer::BreakUnfinished() {
    buffer_.resize(buffer_.size() - Unfinished().size());
    dropping_ = Dropping::Nothing;
}

ResponseRecordPtr LineFramer::Next(std::string* taken) {
    if (taken) taken->clear();
    if (dropping_ != Dropping::Nothing) return EndDroppedLine(taken);
    const auto begin = buffer_.cbegin() + static_cast<std::ptrdiff_t>(head_);
    const auto lineStart = std::find_if_not(begin, buffer_.cend(), IsLineEnd);
    const auto lineEnd = std::find_if(lineStart, buffer_.cend(), IsLineEnd);
    if (lineEnd == buffer_.cend()) {
        // Line ends before an unfinished line can never become part of it; the CR LF that opens it
        // stays with it, so that an observer sees the line as it came.
        const std::size_t before = static_cast<std::size_t>(lineStart - begin);
        Consume(before - std::min(before, kOpeningBytes), taken);
        if (Size() > kMaxLineLength + kOpeningBytes) {
            Consume(Size(), taken);
            dropping_ = Dropping::OverlongLine;
        }
        return nullptr;
    }
    auto record = ParseLine(std::string_view(reinterpret_cast<const char*>(&*lineStart),
                                             static_cast<std::size_t>(lineEnd - lineStart)));
    // The LF of a CR LF goes with the line when it is already here; alone it is only a line end.
    const bool crLf = *lineEnd == '\r' && lineEnd + 1 != buffer_.cend() && lineEnd[1] == '\n';
    Consume(static_cast<std::size_t>(lineEnd - begin) + (crLf ? 2 : 1), taken);
    return record;
}

// The bytes up to the dropped line's end go; the line is reported once it has ended.
ResponseRecordPtr LineFramer::EndDroppedLine(std::string* taken) {
    const auto begin = buffer_.cbegin() + static_cast<std::ptrdiff_t>(head_);
    const auto lineEnd = std::find_if(begin, buffer_.cend(), IsLineEnd);
    if (lineEnd == buffer_.cend()) {
        Consume(Size(), taken);
        return nullptr;
    }
    Consume(static_cast<std::size_t>(lineEnd - begin) + 1, taken);
    const bool overlong = dropping_ == Dropping::OverlongLine;
    dropping_ = Dropping::Nothing;
    return MakeRecord(overlong ? ResultTooLong : ResultBadResponse);
}

std::string_view LineFramer::Unfinished() const {
    const auto begin = buffer_.crbegin();
    const auto end = buffer_.crend() - static_cast<std::ptrdiff_t>(head_);
    const auto lastLineEnd = std::find_if(begin, end, IsLineEnd);
    const auto length = static_cast<std::size_t>(lastLineEnd - begin);
    return std::string_view(reinterpret_cast<const char*>(buffer_.data()) + buffer_.size() - length, length);
}

// The next byte to arrive belongs to a line whose start is gone when an unfinished line is held, or
// when a dropped line has not met its line end yet.
void LineFramer::Clear() {
    const bool lineEndHeld =
        std::any_of(buffer_.cbegin() + static_cast<std::ptrdiff_t>(head_), buffer_.cend(), IsLineEnd);
    if (!Unfinished().empty()) {
        dropping_ = Dropping::BrokenLine;
    } else if (lineEndHeld) {
        dropping_ = Dropping::Nothing;
    }
    buffer_.clear();
    head_ = 0;
}

void LineFramer::Consume(std::size_t count, std::string* taken) {
    const auto from = buffer_.cbegin() + static_cast<std::ptrdiff_t>(head_);
    if (taken) taken->append(from, from + static_cast<std::ptrdiff_t>(count));
    head_ += count;
}

}  // namespace q470
