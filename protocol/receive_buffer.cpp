#include "receive_buffer.h"

#include <algorithm>

#include "response_parser.h"

namespace q470 {
namespace {

constexpr std::uint8_t kCr = '\r';
constexpr std::uint8_t kLf = '\n';

}  // namespace

bool ReceiveBuffer::Append(const std::uint8_t* bytes, std::size_t count, Clock::time_point arrived) {
    const std::uint8_t* next = bytes;
    const std::uint8_t* const end = bytes + count;
    const bool lineEnd = std::any_of(next, end, IsLineEnd);
    while (next != end) {
        if (droppingLine_) {
            next = ResumePoint(next, end);
            if (next == end) break;
            // The CR of that CR LF is the first byte kept: a line the device began after the cut.
            if (bytes_.size() >= cap_) {
                droppedCr_ = false;
                ++next;
                continue;
            }
            bytes_.push_back(kCr);
            droppingLine_ = false;
            droppedCr_ = false;
        }
        const auto room = static_cast<std::ptrdiff_t>(cap_ - std::min(cap_, bytes_.size()));
        const auto fits = std::min(end - next, room);
        bytes_.insert(bytes_.end(), next, next + fits);
        next += fits;
        highWater_ = std::max(highWater_, bytes_.size());
        if (next != end) CutLine();
    }
    NotePiece(arrived);
    return lineEnd;
}

void ReceiveBuffer::CutLine() {
    const auto lastLineEnd = std::find_if(bytes_.rbegin(), bytes_.rend(), IsLineEnd);
    if (lastLineEnd == bytes_.rend()) breakUnfinished_ = true;
    bytes_.erase(lastLineEnd.base(), bytes_.end());
    for (auto& piece : pieces_) piece.end = std::min(piece.end, bytes_.size());
    droppingLine_ = true;
    droppedCr_ = false;
}

const std::uint8_t* ReceiveBuffer::ResumePoint(const std::uint8_t* next, const std::uint8_t* end) {
    for (; next != end; ++next) {
        if (*next == kLf && droppedCr_) return next;
        droppedCr_ = *next == kCr;
    }
    return end;
}

void ReceiveBuffer::NotePiece(Clock::time_point arrived) {
    const std::size_t covered = pieces_.empty() ? 0 : pieces_.back().end;
    if (bytes_.size() > covered) pieces_.push_back({bytes_.size(), arrived});
}

ReceiveBuffer::Taken ReceiveBuffer::Take() {
    Taken taken;
    taken.bytes.swap(bytes_);
    taken.pieces.swap(pieces_);
    taken.breakUnfinished = breakUnfinished_;
    breakUnfinished_ = false;
    return taken;
}

void ReceiveBuffer::Reset() {
    bytes_.clear();
    pieces_.clear();
    droppingLine_ = false;
    droppedCr_ = false;
    breakUnfinished_ = false;
}

}  // namespace q470
