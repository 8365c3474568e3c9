#include "command_framer.h"

#include <algorithm>

namespace q470::sim {
namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

}  // namespace

void CommandFramer::Feed(std::string_view bytes, SteadyTime readTime, std::chrono::nanoseconds charTime,
                         std::vector<ReceivedCommand>& commands) {
    for (char byte : bytes) {
        lineFreeAt_ = std::max(readTime, lineFreeAt_) + charTime;
        if (byte == kLf && afterCr_) {
            afterCr_ = false;
            continue;
        }
        afterCr_ = byte == kCr;
        if (byte == kCr) {
            commands.push_back({pending_ + kCr, overlong_, lineFreeAt_});
            pending_.clear();
            overlong_ = false;
        } else if (pending_.size() < kMaxCommandBytes) {
            pending_ += byte;
        } else {
            overlong_ = true;
        }
    }
}

void CommandFramer::Reset() {
    *this = CommandFramer{};
}

}  // namespace q470::sim
