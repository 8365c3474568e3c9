#include "apply_jobs.h"

#include <array>
#include <optional>

#include "firmware_version.h"
#include "job_code.h"
#include "job_session.h"
#include "needs_assoc_clear.h"
#include "quiet_mode_bracket.h"

namespace q470 {
namespace {

constexpr std::uint8_t kOn = 1;
constexpr std::uint8_t kOff = 0;

std::int32_t Outcome(bool ok) {
    return ok ? JobSucceeded : JobFailed;
}

// --- file items ---

using ItemSender = bool (*)(JobSession&, const SettingItem&);

struct FileStep {
    CommandId command;
    JobResult failure;
    ItemSender send;
};

constexpr ItemSender kSendOpMode = [](JobSession& s, const SettingItem& i) { return s.Set(CmdOpModeSet, i.opMode); };
constexpr ItemSender kSendNetRole = [](JobSession& s, const SettingItem& i) { return s.Set(CmdNetRoleSet, i.netRole); };
constexpr ItemSender kSendRfChannel = [](JobSession& s, const SettingItem& i) {
    return s.Set(CmdRfChannelSet, i.rfChannel);
};
constexpr ItemSender kSendPanId = [](JobSession& s, const SettingItem& i) { return s.SetPanId(i.panId); };
constexpr ItemSender kSendUserPanId = [](JobSession& s, const SettingItem& i) { return s.SetUserPanId(i.userPanId); };
constexpr ItemSender kSendUart = [](JobSession& s, const SettingItem& i) {
    return s.SetUart(i.baudRate, i.stopBits, i.parity, i.dataBits);
};
constexpr ItemSender kSendGpioConfig = [](JobSession& s, const SettingItem& i) {
    return s.SetGpioConfig(GpioEntry{i.pin, i.ioMode, i.pinConfig});
};
constexpr ItemSender kSendGpioPeriodic = [](JobSession& s, const SettingItem& i) {
    return s.SetGpioPeriodic(i.reportInterval, i.sendRemote ? kOn : kOff);
};

constexpr std::array<FileStep, 7> kQ470RFileSteps{{
    {CmdOpModeSet, FileOpModeFailed, kSendOpMode},
    {CmdNetRoleSet, FileNetRoleFailed, kSendNetRole},
    {CmdRfChannelSet, FileRfChannelFailed, kSendRfChannel},
    {CmdPanIdSet, FilePanIdFailed, kSendPanId},
    {CmdUartSet, FileUartFailed, kSendUart},
    {CmdGpioConfigSet, FileGpioConfigFailed, kSendGpioConfig},
    {CmdGpioPeriodicSet, FileGpioPeriodicFailed, kSendGpioPeriodic},
}};

constexpr std::array<FileStep, 3> kKsFileSteps{{
    {CmdOpModeSet, FileOpModeFailed, kSendOpMode},
    {CmdUartSet, FileUartFailed, kSendUart},
    {CmdUserPanIdSet, FileUserPanIdFailed, kSendUserPanId},
}};

template <std::size_t N>
const FileStep* FindStep(const std::array<FileStep, N>& steps, std::int32_t command) {
    for (const auto& step : steps) {
        if (step.command == command) return &step;
    }
    return nullptr;
}

// What the walk over the file items found out.
struct FileWalk {
    std::int32_t error = JobSucceeded;
    std::optional<std::uint8_t> quietItem;  // the last quiet-mode item; sent only at the close
    bool assocClear = false;
};

// Sends the items in list order until one fails. Commands the model has no step for are skipped.
template <std::size_t N>
FileWalk WalkItems(JobSession& session, const DeviceState& state, const SettingItemList& items,
                   const std::array<FileStep, N>& steps) {
    FileWalk walk;
    for (const SettingItem& item : items) {
        if (item.command == CmdQuietModeSet) {
            walk.quietItem = item.quietMode ? kOn : kOff;
            continue;
        }
        const FileStep* step = FindStep(steps, item.command);
        if (!step) continue;
        if (!step->send(session, item)) {
            walk.error = step->failure;
            break;
        }
        if (item.command == CmdPanIdSet && NeedsAssocClear(item.panId, state)) walk.assocClear = true;
    }
    return walk;
}

// The close runs after a failed item too, so the device is not left talking when it should be quiet.
template <std::size_t N>
std::int32_t ApplyFile(JobHost& host, JobSession& session, const std::array<FileStep, N>& steps) {
    const SettingItemList items = host.FileItems();
    DeviceState& state = host.State();
    QuietModeBracket bracket(session, state);
    if (!bracket.Open()) return JobFailed;
    const FileWalk walk = WalkItems(session, state, items, steps);
    if ((state.quietMode == kOn || walk.quietItem) && !bracket.Close(walk.quietItem.value_or(state.quietMode))) {
        return JobFailed;
    }
    // Only a PAN ID item asks for it, and only the Q470R takes one. The device restarts after it;
    // whether it answers in time does not matter.
    if (walk.assocClear) session.Send(CmdAssocClear);
    return walk.error;
}

}  // namespace

std::int32_t RunApplyGeneralQ470R(JobHost& host, JobSession& session) {
    const GeneralSettings record = host.GeneralRecord();
    DeviceState& state = host.State();
    QuietModeBracket bracket(session, state);
    if (!bracket.Open()) return JobFailed;
    if (!session.Set(CmdOpModeSet, record.opMode)) return JobFailed;
    if (!session.SetPanId(record.panId)) return JobFailed;
    if (!session.Set(CmdPhyIdSet, record.phyId)) return JobFailed;
    if (!session.Set(CmdRfChannelSet, record.rfChannel)) return JobFailed;
    if (!session.Set(CmdNetRoleSet, record.netRole)) return JobFailed;
    if (!session.SetUart(record.baudRate, record.stopBits, record.parity, record.dataBits)) return JobFailed;
    const bool hasRxPullUp = FirmwareHasRxPullUp(FirmwareText(state));
    if (hasRxPullUp && !session.Set(CmdRxPullUpSet, record.rxPullUp != 0 ? kOn : kOff)) return JobFailed;
    return Outcome(bracket.Close(record.quietMode));
}

// These models have no PHY ID, RF channel, network role, PAN ID or RX pull-up to set.
std::int32_t RunApplyGeneralKs(JobHost& host, JobSession& session) {
    const GeneralSettings record = host.GeneralRecord();
    QuietModeBracket bracket(session, host.State());
    if (!bracket.Open()) return JobFailed;
    if (!session.Set(CmdOpModeSet, record.opMode)) return JobFailed;
    if (!session.SetUserPanId(record.userPanId)) return JobFailed;
    if (!session.SetUart(record.baudRate, record.stopBits, record.parity, record.dataBits)) return JobFailed;
    return Outcome(bracket.Close(record.quietMode));
}

std::int32_t RunApplyGpio(JobHost& host, JobSession& session) {
    const GpioSettings record = host.GpioRecord();
    QuietModeBracket bracket(session, host.State());
    if (!bracket.Open()) return JobFailed;
    for (const GpioEntry& entry : record.pins) {
        if (!session.SetGpioConfig(entry)) return JobFailed;
    }
    const auto interval = static_cast<std::uint32_t>(record.reportInterval);
    if (!session.SetGpioPeriodic(interval, record.sendToPeer)) return JobFailed;
    return Outcome(bracket.CloseAfterGpio());
}

std::int32_t RunApplyFileQ470R(JobHost& host, JobSession& session) {
    return ApplyFile(host, session, kQ470RFileSteps);
}

std::int32_t RunApplyFileKs(JobHost& host, JobSession& session) {
    return ApplyFile(host, session, kKsFileSteps);
}

std::int32_t RunRestart(JobHost& /*host*/, JobSession& session) {
    session.Send(CmdRestart);
    return JobSucceeded;
}

std::int32_t RunFactoryReset(JobHost& /*host*/, JobSession& session) {
    session.Send(CmdFactoryReset);
    return JobSucceeded;
}

}  // namespace q470
