#include "read_jobs.h"

#include "firmware_version.h"
#include "job_code.h"
#include "job_session.h"
#include "model_kind.h"
#include "narrow_text.h"

namespace q470 {
namespace {

std::uint8_t FirstByte(const ResponseRecord& record) {
    return record.payload[0];
}

}  // namespace

std::int32_t RunIdentify(const JobInput& input, JobHost& host, JobSession& session) {
    // The answer to AT decides nothing: a quiet device gives none. An ERROR (noise the device took in
    // ahead of the command) earns one more try.
    if (session.Send(CmdAt) == RespError) session.Send(CmdAt);
    const auto quiet = session.Query(CmdQuietModeQuery, RespQuietMode);
    if (!quiet) return JobFailed;
    const auto name = session.Query(CmdModelNameQuery, RespModelName, ModelNameTimeoutMs(input.line.baudRate));
    if (!name) return JobFailed;
    const ModelKind kind = ModelKindFromName(ReadText(*name));
    if (kind == 0) return IdentifyUnknownModel;

    DeviceState& state = host.State();
    state.modelKind = kind;
    state.quietMode = FirstByte(*quiet) != 0 ? 1 : 0;
    return JobSucceeded;
}

std::int32_t RunReadQ470R(const JobInput& input, JobHost& host, JobSession& session) {
    const std::uint32_t baudRate = input.line.baudRate;
    const auto info = session.Query(CmdInfoQuery, RespInfo, ReadQueryTimeoutMs(baudRate));
    if (!info) return JobFailed;
    const auto network = session.Query(CmdNetInfoQuery, RespNetInfo, ReadQueryTimeoutMs(baudRate));
    if (!network) return JobFailed;
    const auto gpio = session.Query(CmdGpioConfigQuery, RespGpioConfig, GpioTableTimeoutMs(baudRate));
    if (!gpio) return JobFailed;
    const auto periodic = session.Query(CmdGpioPeriodicQuery, RespGpioPeriodic);
    if (!periodic) return JobFailed;
    const auto version = session.Query(CmdVersionQuery, RespVersion);
    if (!version) return JobFailed;
    const std::string firmware = ReadText(*version);
    std::uint8_t rxPullUp = 0;
    bool rxPullUpMissing = false;
    if (FirmwareHasRxPullUp(firmware)) {
        if (const auto pullUp = session.Query(CmdRxPullUpQuery, RespRxPullUp)) {
            rxPullUp = FirstByte(*pullUp);
        } else if (FirmwareMayLackRxPullUp(firmware) && !session.LinkGone()) {
            rxPullUpMissing = true;  // a refusal or silence from such a device is its answer
        } else {
            return JobFailed;
        }
    }

    // Only a complete read reaches the device state; a failed one leaves it as it was.
    DeviceState& state = host.State();
    state.rxPullUp = rxPullUp;
    state.rxPullUpMissing = rxPullUpMissing;
    state.info = ReadInfoPayload(*info);
    state.network = ReadNetInfoPayload(*network);
    state.network.userPanId = 0;
    state.gpio = ReadGpioTable(*gpio);
    state.reportInterval = ReadU32(*periodic, 0);
    state.sendRemote = ReadU32(*periodic, 4);
    state.firmwareVersion = NarrowToWide(firmware);
    return JobSucceeded;
}

std::int32_t RunReadKs(const JobInput& input, JobHost& host, JobSession& session) {
    const auto info = session.Query(CmdInfoQuery, RespInfo, KsInfoTimeoutMs(input.line.baudRate));
    if (!info) return JobFailed;
    const auto network = session.Query(CmdNetInfoQuery, RespNetInfo);
    if (!network) return JobFailed;
    const auto version = session.Query(CmdVersionQuery, RespVersion);
    if (!version) return JobFailed;
    const auto userPanId = session.Query(CmdUserPanIdQuery, RespUserPanId);
    if (!userPanId) return JobFailed;

    // The GPIO table, the periodic report and RX pull-up do not exist on these models and keep
    // whatever they held.
    DeviceState& state = host.State();
    state.info = ReadInfoPayload(*info);
    state.network = ReadNetInfoPayload(*network);
    state.network.userPanId = ReadU16(*userPanId, 0);
    state.firmwareVersion = NarrowToWide(ReadText(*version));
    return JobSucceeded;
}

}  // namespace q470
