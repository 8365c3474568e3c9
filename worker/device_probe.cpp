#include "device_probe.h"

#include <thread>

#include "command_catalogue.h"
#include "job_session.h"
#include "job_timeouts.h"
#include "model_kind.h"

namespace q470 {
namespace {

using Clock = std::chrono::steady_clock;

// A device that is restarting may not take commands for a while: between two asks the line rests a little.
constexpr std::chrono::milliseconds kAskPause{20};

std::uint32_t Milliseconds(std::chrono::milliseconds wait) {
    return static_cast<std::uint32_t>(wait.count() > 0 ? wait.count() : 0);
}

}  // namespace

std::optional<std::uint8_t> ProbeQuietMode(Q470Comm& link, std::chrono::milliseconds wait) {
    const std::string probe = std::string("\r") + CommandText(CmdQuietModeQuery);
    const auto answer = link.Execute(probe, CmdQuietModeQuery, Milliseconds(wait));
    if (answer->kind != RespQuietMode) return std::nullopt;
    return answer->payload[0] != 0 ? 1 : 0;
}

IdentityOutcome ReadModelName(Q470Comm& link, std::uint32_t baudRate, DeviceIdentity& identity) {
    JobSession session(link);
    const auto name = session.Query(CmdModelNameQuery, RespModelName, ModelNameTimeoutMs(baudRate));
    if (!name) return IdentityOutcome::NoAnswer;
    identity.modelName = ReadText(*name);
    identity.modelKind = ModelKindFromName(identity.modelName);
    return identity.modelKind == 0 ? IdentityOutcome::UnknownModel : IdentityOutcome::Read;
}

IdentityOutcome ReadIdentity(Q470Comm& link, std::uint32_t baudRate, DeviceIdentity& identity) {
    if (const IdentityOutcome named = ReadModelName(link, baudRate, identity); named != IdentityOutcome::Read) {
        return named;
    }
    JobSession session(link);
    const std::uint32_t infoTimeout =
        IsKsFamily(identity.modelKind) ? KsInfoTimeoutMs(baudRate) : ReadQueryTimeoutMs(baudRate);
    const auto info = session.Query(CmdInfoQuery, RespInfo, infoTimeout);
    if (!info) return IdentityOutcome::NoAnswer;
    const auto version = session.Query(CmdVersionQuery, RespVersion);
    if (!version) return IdentityOutcome::NoAnswer;
    identity.extendedAddress = ReadInfoPayload(*info).extendedAddress;
    identity.firmware = ReadText(*version);
    return IdentityOutcome::Read;
}

std::optional<std::uint8_t> WaitUntilAnswering(Q470Comm& link, std::chrono::milliseconds wait,
                                               std::chrono::milliseconds budget, const std::function<bool()>& stopping,
                                               unsigned* unanswered) {
    const auto deadline = Clock::now() + budget;
    if (unanswered) *unanswered = 0;
    for (;;) {
        if (stopping && stopping()) return std::nullopt;
        if (const auto quiet = ProbeQuietMode(link, wait)) return quiet;
        if (unanswered) ++*unanswered;
        if (!link.IsOpen() || link.HungUp() || Clock::now() + kAskPause >= deadline) return std::nullopt;
        std::this_thread::sleep_for(kAskPause);
    }
}

}  // namespace q470
