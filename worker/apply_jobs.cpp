#include "apply_jobs.h"

#include <array>
#include <optional>

#include "apply_trail.h"
#include "command_catalogue.h"
#include "job_code.h"
#include "job_session.h"
#include "model_kind.h"
#include "needs_assoc_clear.h"
#include "quiet_mode_bracket.h"

namespace q470 {
namespace {

constexpr std::uint8_t kOn = 1;
constexpr std::uint8_t kOff = 0;

std::int32_t Outcome(bool ok) {
    return ok ? JobSucceeded : JobFailed;
}

// The job session's set commands, each written into the job's trail as it is sent. Once the job's owner
// has asked it to stop, no further step is sent: the first one left out is where the job was cut short.
class TrailedSession {
public:
    TrailedSession(JobSession& session, DeviceState& state)
        : session_(session), state_(state), bracket_(session, state) {}

    bool Set(CommandId id, std::uint32_t value) {
        return Step(id, FormatSetCommand(id, value), {value}, [&] { return session_.Set(id, value); });
    }
    bool SetPanId(std::uint16_t panId) {
        return Step(CmdPanIdSet, FormatSetCommand(CmdPanIdSet, panId), {panId},
                    [&] { return session_.SetPanId(panId); });
    }
    bool SetUserPanId(std::uint16_t userPanId) {
        return Step(CmdUserPanIdSet, FormatSetCommand(CmdUserPanIdSet, userPanId), {userPanId},
                    [&] { return session_.SetUserPanId(userPanId); });
    }
    bool SetUart(std::uint32_t baudRate, std::uint8_t stopBits, std::uint8_t parity, std::uint8_t dataBits) {
        return Step(CmdUartSet, FormatUartSet(baudRate, stopBits, parity, dataBits),
                    {baudRate, stopBits, parity, dataBits},
                    [&] { return session_.SetUart(baudRate, stopBits, parity, dataBits); });
    }
    bool SetGpioConfig(const GpioEntry& entry) {
        return Step(CmdGpioConfigSet, FormatGpioConfigSet(GpioPinMask(entry.pin), entry.ioMode, entry.pinConfig),
                    {entry.pin, entry.ioMode, entry.pinConfig}, [&] { return session_.SetGpioConfig(entry); });
    }
    bool SetGpioPeriodic(std::uint32_t reportInterval, std::uint8_t sendRemote) {
        return Step(CmdGpioPeriodicSet, FormatGpioPeriodicSet(reportInterval, sendRemote), {reportInterval, sendRemote},
                    [&] { return session_.SetGpioPeriodic(reportInterval, sendRemote); });
    }

    // The quiet-mode bracket; a step the bracket does not send is not in the trail.
    bool Open() {
        if (state_.quietMode != kOn) return bracket_.Open();
        return Step(CmdQuietModeSet, FormatSetCommand(CmdQuietModeSet, kOff), {kOff}, [&] { return bracket_.Open(); });
    }
    bool Close(std::uint8_t wanted) {
        return Step(CmdQuietModeSet, FormatSetCommand(CmdQuietModeSet, wanted), {wanted},
                    [&] { return bracket_.Close(wanted); });
    }
    bool CloseAfterGpio() {
        if (state_.quietMode != kOn) return bracket_.CloseAfterGpio();
        return Step(CmdQuietModeSet, FormatSetCommand(CmdQuietModeSet, kOn), {kOn},
                    [&] { return bracket_.CloseAfterGpio(); });
    }
    // After a stop: a device that was quiet is quiet again, whatever the job was to write.
    void RestoreIfStopped() {
        if (!Stopping() || !bracket_.HeldOpen()) return;
        const bool restored = bracket_.RestoreAfterStop();
        trail_.Record(CmdQuietModeSet, FormatSetCommand(CmdQuietModeSet, kOn), {kOn},
                      restored ? StepAnswer::Acknowledged : AnswerOfKind(session_.LastKind()));
    }

    bool Stopping() const { return session_.WindingDown(); }
    JobSession& Session() { return session_; }
    const ApplyTrail& Trail() const { return trail_.Trail(); }
    // The last step's command went out on the link.
    bool LastStepSent() const { return lastSent_; }
    void NoteItemSent(std::size_t item) { trail_.NoteItemSent(item); }

private:
    template <typename Send>
    bool Step(CommandId id, const std::string& text, std::vector<std::uint32_t> values, Send send) {
        lastSent_ = false;
        if (Stopping()) return trail_.Record(id, text, std::move(values), StepAnswer::NotSent);
        const std::uint64_t before = session_.CommandsSent();
        const bool acknowledged = send();
        lastSent_ = session_.CommandsSent() != before;
        return trail_.Record(id, text, std::move(values),
                             acknowledged ? StepAnswer::Acknowledged : AnswerOfKind(session_.LastKind()));
    }

    JobSession& session_;
    DeviceState& state_;
    QuietModeBracket bracket_;
    ApplyTrailRecorder trail_;
    bool lastSent_ = false;
};

// Runs an apply job and hands its trail to the owner before the result goes out.
template <typename Steps>
std::int32_t WithTrail(JobHost& host, JobSession& session, Steps steps) {
    TrailedSession trailed(session, host.State());
    const std::int32_t result = steps(trailed);
    trailed.RestoreIfStopped();
    host.RecordApplyTrail(trailed.Trail());
    return result;
}

// --- file items ---

using ItemSender = bool (*)(TrailedSession&, const SettingItem&);

struct FileStep {
    CommandId command;
    JobResult failure;
    ItemSender send;
};

constexpr ItemSender kSendOpMode = [](TrailedSession& s, const SettingItem& i) {
    return s.Set(CmdOpModeSet, i.opMode);
};
constexpr ItemSender kSendNetRole = [](TrailedSession& s, const SettingItem& i) {
    return s.Set(CmdNetRoleSet, i.netRole);
};
constexpr ItemSender kSendRfChannel = [](TrailedSession& s, const SettingItem& i) {
    return s.Set(CmdRfChannelSet, i.rfChannel);
};
constexpr ItemSender kSendPanId = [](TrailedSession& s, const SettingItem& i) { return s.SetPanId(i.panId); };
constexpr ItemSender kSendUserPanId = [](TrailedSession& s, const SettingItem& i) {
    return s.SetUserPanId(i.userPanId);
};
constexpr ItemSender kSendUart = [](TrailedSession& s, const SettingItem& i) {
    return s.SetUart(i.baudRate, i.stopBits, i.parity, i.dataBits);
};
constexpr ItemSender kSendGpioConfig = [](TrailedSession& s, const SettingItem& i) {
    return s.SetGpioConfig(GpioEntry{i.pin, i.ioMode, i.pinConfig});
};
constexpr ItemSender kSendGpioPeriodic = [](TrailedSession& s, const SettingItem& i) {
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
    std::vector<std::size_t> quietItems;    // where the quiet-mode items stand in the list
    bool assocClear = false;
};

// Sends the items in list order until one fails. Commands the model has no step for are skipped.
template <std::size_t N>
FileWalk WalkItems(TrailedSession& session, const DeviceState& state, const SettingItemList& items,
                   const std::array<FileStep, N>& steps) {
    FileWalk walk;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const SettingItem& item = items[i];
        if (item.command == CmdQuietModeSet) {
            walk.quietItem = item.quietMode ? kOn : kOff;
            walk.quietItems.push_back(i);
            continue;
        }
        const FileStep* step = FindStep(steps, item.command);
        if (!step) continue;
        const bool acknowledged = step->send(session, item);
        if (session.LastStepSent()) session.NoteItemSent(i);
        if (!acknowledged) {
            walk.error = step->failure;
            break;
        }
        if (item.command == CmdPanIdSet && NeedsAssocClear(item.panId, state)) walk.assocClear = true;
    }
    return walk;
}

// The close runs after a failed item too, so the device is not left talking when it should be quiet.
template <std::size_t N>
std::int32_t ApplyFile(const SettingItemList& items, JobHost& host, TrailedSession& session,
                       const std::array<FileStep, N>& steps) {
    DeviceState& state = host.State();
    if (!session.Open()) return JobFailed;
    const FileWalk walk = WalkItems(session, state, items, steps);
    // A stopped job leaves the closing to the restore of the quiet mode it found, and sends nothing more.
    if (session.Stopping()) return walk.error != JobSucceeded ? walk.error : JobFailed;
    if (state.quietMode == kOn || walk.quietItem) {
        const bool closed = session.Close(walk.quietItem.value_or(state.quietMode));
        if (session.LastStepSent()) {
            for (const std::size_t item : walk.quietItems) session.NoteItemSent(item);
        }
        if (!closed) return JobFailed;
    }
    // Only a PAN ID item asks for it, and only the Q470R takes one. The device restarts after it;
    // whether it answers in time does not matter.
    if (walk.assocClear) session.Session().Send(CmdAssocClear);
    return walk.error;
}

}  // namespace

std::int32_t RunApplyGeneralQ470R(const JobInput& input, JobHost& host, JobSession& session) {
    const GeneralSettings& record = input.general;
    return WithTrail(host, session, [&](TrailedSession& s) -> std::int32_t {
        if (!s.Open()) return JobFailed;
        if (!s.Set(CmdOpModeSet, record.opMode)) return JobFailed;
        if (!s.SetPanId(record.panId)) return JobFailed;
        if (!s.Set(CmdPhyIdSet, record.phyId)) return JobFailed;
        if (!s.Set(CmdRfChannelSet, record.rfChannel)) return JobFailed;
        if (!s.Set(CmdNetRoleSet, record.netRole)) return JobFailed;
        if (!s.SetUart(record.baudRate, record.stopBits, record.parity, record.dataBits)) return JobFailed;
        if (DeviceHasRxPullUp(host.State()) && !s.Set(CmdRxPullUpSet, record.rxPullUp != 0 ? kOn : kOff))
            return JobFailed;
        return Outcome(s.Close(record.quietMode));
    });
}

// These models have no PHY ID, RF channel, network role, PAN ID or RX pull-up to set.
std::int32_t RunApplyGeneralKs(const JobInput& input, JobHost& host, JobSession& session) {
    const GeneralSettings& record = input.general;
    return WithTrail(host, session, [&](TrailedSession& s) -> std::int32_t {
        if (!s.Open()) return JobFailed;
        if (!s.Set(CmdOpModeSet, record.opMode)) return JobFailed;
        if (!s.SetUserPanId(record.userPanId)) return JobFailed;
        if (!s.SetUart(record.baudRate, record.stopBits, record.parity, record.dataBits)) return JobFailed;
        return Outcome(s.Close(record.quietMode));
    });
}

std::int32_t RunApplyGpio(const JobInput& input, JobHost& host, JobSession& session) {
    const GpioSettings& record = input.gpio;
    return WithTrail(host, session, [&](TrailedSession& s) -> std::int32_t {
        if (!s.Open()) return JobFailed;
        for (const GpioEntry& entry : record.pins) {
            if (!s.SetGpioConfig(entry)) return JobFailed;
        }
        const auto interval = static_cast<std::uint32_t>(record.reportInterval);
        if (!s.SetGpioPeriodic(interval, record.sendToPeer)) return JobFailed;
        return Outcome(s.CloseAfterGpio());
    });
}

std::int32_t RunApplyFileQ470R(const JobInput& input, JobHost& host, JobSession& session) {
    return WithTrail(host, session, [&](TrailedSession& s) -> std::int32_t {
        return ApplyFile(input.fileItems, host, s, kQ470RFileSteps);
    });
}

std::int32_t RunApplyFileKs(const JobInput& input, JobHost& host, JobSession& session) {
    return WithTrail(host, session, [&](TrailedSession& s) -> std::int32_t {
        return ApplyFile(input.fileItems, host, s, kKsFileSteps);
    });
}

bool FileJobSends(std::uint32_t modelKind, std::int32_t command) {
    if (command == CmdQuietModeSet) return true;
    return modelKind == ModelQ470R ? FindStep(kQ470RFileSteps, command) != nullptr
                                   : FindStep(kKsFileSteps, command) != nullptr;
}

std::int32_t RunRestart(const JobInput& /*input*/, JobHost& /*host*/, JobSession& session) {
    session.Send(CmdRestart);
    return JobSucceeded;
}

std::int32_t RunFactoryReset(const JobInput& /*input*/, JobHost& /*host*/, JobSession& session) {
    session.Send(CmdFactoryReset);
    return JobSucceeded;
}

}  // namespace q470
