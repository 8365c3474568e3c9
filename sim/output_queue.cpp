#include "output_queue.h"

#include <algorithm>
#include <utility>

namespace q470::sim {

void OutputQueue::Push(OutputSegment segment) {
    if (segment.bytes.empty() && !segment.hangUp) return;
    segments_.push_back(std::move(segment));
    if (segments_.size() == 1) StartHead();
}

void OutputQueue::Clear() {
    segments_.clear();
    sent_ = 0;
}

std::optional<SteadyTime> OutputQueue::NextDue() const {
    if (segments_.empty()) return std::nullopt;
    if (segments_.front().hangUp) return headStart_;
    return headStart_ + charTime_ * static_cast<std::int64_t>(sent_ + 1);
}

bool OutputQueue::HangUpDue(SteadyTime now) const {
    return !segments_.empty() && segments_.front().hangUp && now >= headStart_;
}

std::string_view OutputQueue::Due(SteadyTime now) const {
    if (segments_.empty() || segments_.front().hangUp || now < headStart_) return {};
    const std::string& bytes = segments_.front().bytes;
    std::size_t through = bytes.size();
    if (charTime_.count() > 0) {
        // A byte may be handed over once its own line time is complete.
        const auto completed = static_cast<std::size_t>((now - headStart_) / charTime_);
        through = std::min(through, completed);
    }
    if (through <= sent_) return {};
    return std::string_view(bytes).substr(sent_, through - sent_);
}

void OutputQueue::Consume(std::size_t count) {
    if (segments_.empty()) return;
    sent_ += count;
    const std::size_t size = segments_.front().bytes.size();
    if (sent_ < size) return;
    lastFinish_ = headStart_ + charTime_ * static_cast<std::int64_t>(size);
    segments_.pop_front();
    if (!segments_.empty()) StartHead();
}

void OutputQueue::StartHead() {
    const OutputSegment& head = segments_.front();
    headStart_ = std::max(head.notBefore, lastFinish_ + head.gap);
    sent_ = 0;
}

}  // namespace q470::sim
