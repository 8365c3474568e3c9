#include "quiet_mode_bracket.h"

namespace q470 {
namespace {

constexpr std::uint8_t kQuietOff = 0;
constexpr std::uint8_t kQuietOn = 1;
// Room for "AT+QM=1" and an ERROR back at the slowest line rate, and for the device to act on it.
constexpr std::uint32_t kRestoreWaitMs = 300;

// The command never reached the device, or its answer was abandoned: nothing is known.
bool LinkGone(std::int32_t kind) {
    return kind == ResultNotOpen || kind == ResultClosed;
}

}  // namespace

QuietModeBracket::QuietModeBracket(JobSession& session, DeviceState& state) : session_(session), state_(state) {}

bool QuietModeBracket::Open() {
    if (state_.quietMode != kQuietOn) return true;
    JobWindDown* windDown = session_.WindDown();
    if (windDown && !windDown->EnterBracket()) return false;
    heldOpen_ = session_.Set(CmdQuietModeSet, kQuietOff);
    if (!heldOpen_ && windDown) windDown->LeaveBracket();
    return heldOpen_;
}

bool QuietModeBracket::Close(std::uint8_t wanted) {
    const std::int32_t kind = session_.SendSet(CmdQuietModeSet, wanted);
    Closed();
    if (LinkGone(kind) || (kind == ResultTimeout && wanted == kQuietOff)) return false;
    state_.quietMode = wanted;
    return true;
}

bool QuietModeBracket::CloseAfterGpio() {
    if (state_.quietMode != kQuietOn) return true;
    const std::int32_t kind = session_.SendSet(CmdQuietModeSet, kQuietOn);
    Closed();
    return kind == RespOk || kind == ResultTimeout;
}

bool QuietModeBracket::RestoreAfterStop() {
    const std::int32_t kind = session_.SendSet(CmdQuietModeSet, kQuietOn, kRestoreWaitMs);
    Closed();
    return kind == RespOk || kind == ResultTimeout;
}

void QuietModeBracket::Closed() {
    heldOpen_ = false;
    if (JobWindDown* windDown = session_.WindDown()) windDown->LeaveBracket();
}

}  // namespace q470
