#include "line_framer.h"

#include <algorithm>

#include "line_token.h"
#include "response_parser.h"

namespace q470 {

void LineFramer::Append(const std::uint8_t* bytes, std::size_t count, Clock::time_point arrived) {
    if (count == 0) return;
    // What was taken goes now; at most an unfinished line and the line end before it are moved.
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(head_));
    base_ += head_;
    head_ = 0;
    buffer_.insert(buffer_.end(), bytes, bytes + count);
    arrivals_.push_back({base_ + buffer_.size(), arrived});
}

void LineFramer::BreakUnfinished() {
    buffer_.resize(buffer_.size() - Unfinished().size());
    droppingOverlong_ = false;
    const std::uint64_t end = base_ + buffer_.size();
    while (!arrivals_.empty() && arrivals_.back().end > end) {
        const Clock::time_point time = arrivals_.back().time;
        arrivals_.pop_back();
        if (arrivals_.empty() || arrivals_.back().end < end) arrivals_.push_back({end, time});
    }
}

ResponseRecordPtr LineFramer::Next(std::string* taken, Clock::time_point* arrived) {
    if (taken) taken->clear();
    if (droppingOverlong_) return EndDroppedLine(taken, arrived);
    const std::uint8_t* const data = buffer_.data();
    const std::size_t end = buffer_.size();
    std::size_t at = head_;
    // Where the bytes kept with a line that is not complete yet start: its CR LF, so that an observer
    // sees the line as it came. Line ends before it are settled in `opened_`.
    std::size_t keepFrom = head_;
    LineToken token = NextLineToken(data + at, end - at);
    while (token.kind == LineTokenKind::Opening || token.kind == LineTokenKind::LoneEnd) {
        opened_ = opened_ || token.kind == LineTokenKind::Opening;
        const bool crLf = token.length == 2;
        at += token.length;
        keepFrom = crLf ? at - 2 : at;
        token = NextLineToken(data + at, end - at);
    }
    if (token.kind == LineTokenKind::NeedMore) {
        Consume(keepFrom - head_, taken, arrived);
        if (token.length > kMaxLineLength) {
            Consume(Size(), taken, arrived);
            droppingOverlong_ = true;
            opened_ = false;
        }
        return nullptr;
    }
    const std::size_t textEnd = at + token.length;
    if (token.length > kMaxLineLength) {
        Consume(textEnd - head_, taken, arrived);
        opened_ = false;
        return MakeRecord(ResultTooLong);
    }
    const LineToken closing = NextLineToken(data + textEnd, end - textEnd);
    if (closing.kind == LineTokenKind::NeedMore) {
        Consume(keepFrom - head_, taken, arrived);
        return nullptr;
    }
    const bool whole = opened_ && closing.kind == LineTokenKind::Opening;
    auto record = whole ? ParseLine(std::string_view(reinterpret_cast<const char*>(data + at), token.length))
                        : MakeRecord(ResultBadResponse);
    // The CR LF that closes a whole line goes with it and opens the next one; after noise, the line
    // ends that follow start afresh.
    Consume(textEnd + (whole ? closing.length : 0) - head_, taken, arrived);
    opened_ = whole;
    return record;
}

// The bytes up to the dropped line's end go; the line is reported once it has ended.
ResponseRecordPtr LineFramer::EndDroppedLine(std::string* taken, Clock::time_point* arrived) {
    const auto begin = buffer_.cbegin() + static_cast<std::ptrdiff_t>(head_);
    const auto lineEnd = std::find_if(begin, buffer_.cend(), IsLineEnd);
    Consume(static_cast<std::size_t>(lineEnd - begin), taken, arrived);
    if (lineEnd == buffer_.cend()) return nullptr;
    droppingOverlong_ = false;
    opened_ = false;
    return MakeRecord(ResultTooLong);
}

std::string_view LineFramer::Unfinished() const {
    const auto begin = buffer_.crbegin();
    const auto end = buffer_.crend() - static_cast<std::ptrdiff_t>(head_);
    const auto lastLineEnd = std::find_if(begin, end, IsLineEnd);
    const auto length = static_cast<std::size_t>(lastLineEnd - begin);
    return std::string_view(reinterpret_cast<const char*>(buffer_.data()) + buffer_.size() - length, length);
}

std::string_view LineFramer::Pending() const {
    return std::string_view(reinterpret_cast<const char*>(buffer_.data()) + head_, Size());
}

LineFramer::Clock::time_point LineFramer::LastArrival() const {
    return arrivals_.empty() ? Clock::time_point() : arrivals_.back().time;
}

void LineFramer::Clear() {
    base_ += buffer_.size();
    buffer_.clear();
    head_ = 0;
    arrivals_.clear();
    opened_ = false;
    droppingOverlong_ = false;
}

void LineFramer::Consume(std::size_t count, std::string* taken, Clock::time_point* arrived) {
    if (count == 0) return;
    const auto from = buffer_.cbegin() + static_cast<std::ptrdiff_t>(head_);
    if (taken) taken->append(from, from + static_cast<std::ptrdiff_t>(count));
    head_ += count;
    const std::uint64_t position = base_ + head_;
    // The arrival that brought the last byte consumed times what was taken.
    const auto last = std::find_if(arrivals_.cbegin(), arrivals_.cend(),
                                   [position](const Arrival& arrival) { return arrival.end >= position; });
    if (arrived && last != arrivals_.cend()) *arrived = last->time;
    while (!arrivals_.empty() && arrivals_.front().end <= position) arrivals_.pop_front();
}

}  // namespace q470
