#include "quiet_mode_bracket.h"

namespace q470 {
namespace {

constexpr std::uint8_t kQuietOff = 0;
constexpr std::uint8_t kQuietOn = 1;

// The command never reached the device, or its answer was abandoned: nothing is known.
bool LinkGone(std::int32_t kind) {
    return kind == ResultNotOpen || kind == ResultClosed;
}

}  // namespace

QuietModeBracket::QuietModeBracket(JobSession& session, DeviceState& state) : session_(session), state_(state) {}

bool QuietModeBracket::Open() {
    return state_.quietMode != kQuietOn || session_.Set(CmdQuietModeSet, kQuietOff);
}

bool QuietModeBracket::Close(std::uint8_t wanted) {
    const std::int32_t kind = session_.SendSet(CmdQuietModeSet, wanted);
    if (LinkGone(kind) || (kind == ResultTimeout && wanted == kQuietOff)) return false;
    state_.quietMode = wanted;
    return true;
}

bool QuietModeBracket::CloseAfterGpio() {
    if (state_.quietMode != kQuietOn) return true;
    const std::int32_t kind = session_.SendSet(CmdQuietModeSet, kQuietOn);
    return kind == RespOk || kind == ResultTimeout;
}

}  // namespace q470
