#include "receive_buffer.h"

#include <algorithm>

#include "response_parser.h"

namespace q470 {

bool ReceiveBuffer::Append(const std::uint8_t* bytes, std::size_t count) {
    const std::uint8_t* next = bytes;
    const std::uint8_t* const end = bytes + count;
    const bool lineEnd = std::any_of(next, end, IsLineEnd);
    while (next != end) {
        if (droppingLine_) {
            next = std::find_if(next, end, IsLineEnd);
            if (next == end) break;
            ++next;
            droppingLine_ = false;
            continue;
        }
        const auto room = static_cast<std::ptrdiff_t>(cap_ - std::min(cap_, bytes_.size()));
        const auto fits = std::min(end - next, room);
        bytes_.insert(bytes_.end(), next, next + fits);
        next += fits;
        highWater_ = std::max(highWater_, bytes_.size());
        if (next == end) break;
        const auto lastLineEnd = std::find_if(bytes_.rbegin(), bytes_.rend(), IsLineEnd);
        if (lastLineEnd == bytes_.rend()) breakUnfinished_ = true;
        bytes_.erase(lastLineEnd.base(), bytes_.end());
        droppingLine_ = true;
    }
    return lineEnd;
}

ReceiveBuffer::Taken ReceiveBuffer::Take() {
    Taken taken;
    taken.bytes.swap(bytes_);
    taken.breakUnfinished = breakUnfinished_;
    breakUnfinished_ = false;
    return taken;
}

void ReceiveBuffer::Reset() {
    bytes_.clear();
    droppingLine_ = false;
    breakUnfinished_ = false;
}

}  // namespace q470
