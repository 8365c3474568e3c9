#include "job_audit.h"

#include <array>
#include <optional>
#include <sstream>
#include <utility>

#include "command_catalogue.h"
#include "firmware_version.h"
#include "job_code.h"
#include "model_kind.h"
#include "soak_report.h"

namespace q470::soak {
namespace {

constexpr const char* kQuietSet = "AT+QM=";

// One set command a complete run of the job sends, in order. A refused value is never sent: the job
// fails there with `failure`.
struct Step {
    constexpr Step(const char* keyword_, std::int32_t failure_, bool refused_ = false)
        : keyword(keyword_), failure(failure_), refused(refused_) {}

    const char* keyword;
    std::int32_t failure;
    bool refused;
    // The file's last quiet-mode item before this step: a walk that stops here has seen no later one.
    std::optional<bool> quietBefore;
};

struct Plan {
    bool opening = false;  // AT+QM=0 first, the device being quiet
    std::vector<Step> steps;
    bool closing = false;
    std::uint8_t closingValue = 0;
    bool gpioClosing = false;  // the GPIO job's own closing rule
};

struct FileStep {
    std::int32_t command;
    Step step;
};

constexpr std::array<FileStep, 7> kQ470RFileSteps{{
    {CmdOpModeSet, {"AT+OPMODE=", FileOpModeFailed}},
    {CmdNetRoleSet, {"AT+NETROLE=", FileNetRoleFailed}},
    {CmdRfChannelSet, {"AT+RFCH=", FileRfChannelFailed}},
    {CmdPanIdSet, {"AT+PANID=", FilePanIdFailed}},
    {CmdUartSet, {"AT+UART=", FileUartFailed}},
    {CmdGpioConfigSet, {"AT+GPIOC=", FileGpioConfigFailed}},
    {CmdGpioPeriodicSet, {"AT+GPIOP=", FileGpioPeriodicFailed}},
}};

constexpr std::array<FileStep, 3> kKsFileSteps{{
    {CmdOpModeSet, {"AT+OPMODE=", FileOpModeFailed}},
    {CmdUartSet, {"AT+UART=", FileUartFailed}},
    {CmdUserPanIdSet, {"AT+UPANID=", FileUserPanIdFailed}},
}};

void SetFileClosing(const JobRecord& run, std::optional<bool> quietItem, Plan& plan) {
    plan.closing = run.quietAtStart == 1 || quietItem.has_value();
    plan.closingValue = quietItem ? (*quietItem ? 1 : 0) : run.quietAtStart;
}

template <std::size_t N>
void PlanFile(const JobRecord& run, const std::array<FileStep, N>& table, Plan& plan) {
    std::optional<bool> quietItem;
    for (const SettingItem& item : run.items) {
        if (item.command == CmdQuietModeSet) {
            quietItem = item.quietMode;
            continue;
        }
        for (const auto& row : table) {
            if (row.command != item.command) continue;
            Step step = row.step;
            step.quietBefore = quietItem;
            if (item.command == CmdPanIdSet) step.refused = !IsAcceptedPanId(item.panId);
            if (item.command == CmdUserPanIdSet) step.refused = !IsAcceptedPanId(item.userPanId);
            plan.steps.push_back(step);
        }
    }
    SetFileClosing(run, quietItem, plan);
}

Plan PlanOf(const JobRecord& run) {
    Plan plan;
    plan.opening = run.quietAtStart == 1;
    const GeneralSettings& g = run.general;
    switch (run.job) {
        case JobApplyGeneralQ470R:
            plan.steps = {{"AT+OPMODE=", JobFailed},  {"AT+PANID=", JobFailed, !IsAcceptedPanId(g.panId)},
                          {"AT+PHYID=", JobFailed},   {"AT+RFCH=", JobFailed},
                          {"AT+NETROLE=", JobFailed}, {"AT+UART=", JobFailed}};
            if (run.rxPullUpAtStart) plan.steps.push_back({"AT+URPU=", JobFailed});
            plan.closing = true;
            plan.closingValue = g.quietMode;
            break;
        case JobApplyGeneralKs:
            plan.steps = {{"AT+OPMODE=", JobFailed},
                          {"AT+UPANID=", JobFailed, !IsAcceptedPanId(g.userPanId)},
                          {"AT+UART=", JobFailed}};
            plan.closing = true;
            plan.closingValue = g.quietMode;
            break;
        case JobApplyGpio:
            plan.steps.assign(kGpioPinCount, Step{"AT+GPIOC=", JobFailed});
            plan.steps.push_back({"AT+GPIOP=", JobFailed});
            plan.closing = plan.opening;
            plan.closingValue = 1;
            plan.gpioClosing = true;
            break;
        case JobApplyFileQ470R:
            PlanFile(run, kQ470RFileSteps, plan);
            break;
        case JobApplyFileKs:
            PlanFile(run, kKsFileSteps, plan);
            break;
        default:
            break;
    }
    return plan;
}

bool IsFileJob(std::int32_t job) {
    return job == JobApplyFileQ470R || job == JobApplyFileKs;
}

bool ClosingSucceeds(const Plan& plan, FinalLine line) {
    if (plan.gpioClosing) return line != FinalLine::Error;
    return !(line == FinalLine::None && plan.closingValue == 0);
}

const char* LineName(FinalLine line) {
    switch (line) {
        case FinalLine::Ok:
            return "OK";
        case FinalLine::Error:
            return "ERROR";
        case FinalLine::None:
            return "nothing";
    }
    return "?";
}

// The result the job must report for what the device answered, or nothing with `why` set when the
// commands sent do not follow the job's sequence. Answers that never came count as time-outs.
class ResultOracle {
public:
    ResultOracle(const JobRecord& run, Plan plan) : run_(run), plan_(std::move(plan)) {
        for (const auto& entry : run.entries) {
            if (IsSetCommand(entry)) sets_.push_back(&entry);
        }
    }

    std::optional<std::int32_t> Expected(std::string& why) {
        if (plan_.opening) {
            const LedgerEntry* opening = Take(kQuietSet, why);
            if (!opening || FinalLineOf(*opening) != FinalLine::Ok) return Finish(JobFailed, why);
        }
        std::int32_t failure = JobSucceeded;
        for (const Step& step : plan_.steps) {
            const LedgerEntry* sent = step.refused ? nullptr : Take(step.keyword, why);
            if (!step.refused && !sent) return std::nullopt;
            if (step.refused || FinalLineOf(*sent) != FinalLine::Ok) {
                failure = step.failure;
                if (IsFileJob(run_.job)) SetFileClosing(run_, step.quietBefore, plan_);
                break;
            }
        }
        if (failure != JobSucceeded && !IsFileJob(run_.job)) return Finish(JobFailed, why);
        if (plan_.closing) {
            const LedgerEntry* closing = Take(kQuietSet, why);
            if (!closing) return std::nullopt;
            if (!ClosingSucceeds(plan_, FinalLineOf(*closing))) return Finish(JobFailed, why);
        }
        return Finish(failure, why);
    }

private:
    const LedgerEntry* Take(const char* keyword, std::string& why) {
        if (next_ < sets_.size() && HasKeyword(*sets_[next_], keyword)) return sets_[next_++];
        why =
            std::string("expected ") + keyword +
            (next_ < sets_.size() ? " but the device got " + sets_[next_]->command : " but the job sent nothing more");
        return nullptr;
    }

    // Nothing may follow the command that ended the job.
    std::optional<std::int32_t> Finish(std::int32_t result, std::string& why) {
        if (next_ == sets_.size()) return result;
        why = "the job went on after its end with " + sets_[next_]->command;
        return std::nullopt;
    }

    const JobRecord& run_;
    Plan plan_;
    std::vector<const LedgerEntry*> sets_;
    std::size_t next_ = 0;
};

std::string Transcript(const JobRecord& run) {
    std::ostringstream text;
    for (const auto& entry : run.entries) {
        text << "\n    " << entry.command << " -> " << LineName(FinalLineOf(entry));
        if (entry.fault.silent) text << " [silent]";
        if (entry.fault.answerError) text << " [ERROR]";
        if (entry.fault.hangUp) text << " [hang-up]";
        if (entry.fault.delay.count() > 0) text << " [delay " << entry.fault.delay.count() << " ms]";
        if (entry.fault.trailerDelay.count() > 0) text << " [trailer " << entry.fault.trailerDelay.count() << " ms]";
        if (!entry.fault.splitAt.empty()) text << " [split x" << entry.fault.splitAt.size() << "]";
        if (!entry.fault.injectBetweenLines.empty()) {
            text << " [" << entry.fault.injectBetweenLines.size() << " bytes injected]";
        }
        if (!entry.fault.strayBytes.empty()) text << " [" << entry.fault.strayBytes.size() << " stray bytes]";
        if (entry.fault.duplicateDataLines) text << " [data lines twice]";
    }
    return text.str();
}

std::string Violation(const JobRecord& run, const std::string& what) {
    std::ostringstream text;
    text << "job " << run.job << " reported " << run.result << ": " << what << "; the device got:" << Transcript(run);
    return text.str();
}

const LedgerEntry* Find(const JobRecord& run, const char* command) {
    for (const auto& entry : run.entries) {
        if (entry.command == command) return &entry;
    }
    return nullptr;
}

// The answer may not have reached the job whole: a fault broke it, or the device itself gave no data
// (a query this model does not know is answered ERROR).
bool Unanswered(const LedgerEntry& entry) {
    return BrokeAnswer(entry) || (entry.command.back() == '?' && !SentData(entry));
}

bool AnyUnanswered(const JobRecord& run) {
    for (const auto& entry : run.entries) {
        if (Unanswered(entry)) return true;
    }
    return false;
}

std::uint32_t ExpectedKind(const sim::ModemSettings& device) {
    const std::string name = device.modelName.empty() ? sim::ModelName(device.model) : device.modelName;
    if (name == "Q470R") return ModelQ470R;
    if (name == "KELDAN-KS400") return ModelKs400;
    if (name == "KELDAN-KS410") return ModelKs410;
    return 0;
}

template <typename T, typename U>
void Compare(std::ostringstream& out, const char* what, T got, U want) {
    if (static_cast<long long>(got) != static_cast<long long>(want))
        out << what << " " << got << " != " << want << "; ";
}

// On firmware that only version order gives RX pull-up, a refused or unanswered query means the device
// has none; everywhere else the read holds what the device holds.
std::string DifferencesQ470R(const DeviceState& state, const sim::ModemSettings& device, bool rxPullUpUnanswered) {
    std::ostringstream out;
    for (std::size_t pin = 0; pin < kGpioPinCount; ++pin) {
        Compare(out, "GPIO pin", state.gpio[pin].pin, pin);
        Compare(out, "GPIO mode", state.gpio[pin].ioMode, device.gpio[pin].ioMode);
        Compare(out, "GPIO value", state.gpio[pin].pinConfig, device.gpio[pin].pinConfig);
    }
    Compare(out, "report interval", state.reportInterval, device.reportInterval);
    Compare(out, "send-remote", state.sendRemote & 0xFFu, device.sendRemote ? 1 : 0);
    Compare(out, "user PAN ID", state.network.userPanId, 0);
    if (state.rxPullUpMissing) {
        if (!rxPullUpUnanswered || !FirmwareMayLackRxPullUp(device.firmware)) out << "RX pull-up taken as missing; ";
        Compare(out, "RX pull-up", state.rxPullUp, 0);
    } else {
        const bool hasRxPullUp = FirmwareHasRxPullUp(device.firmware);
        Compare(out, "RX pull-up", state.rxPullUp, hasRxPullUp && device.rxPullUp ? 1 : 0);
    }
    return out.str();
}

std::string Differences(const JobRecord& run, const DeviceState& state, const sim::ModemSettings& device, bool q470r) {
    std::ostringstream out;
    Compare(out, "address", state.info.extendedAddress, device.extendedAddress);
    Compare(out, "mode", state.info.mode, device.opMode);
    Compare(out, "role", state.info.role, device.netRole);
    Compare(out, "PHY ID", state.network.phyId, device.phyId);
    Compare(out, "channel", state.network.rfChannel, device.rfChannel);
    Compare(out, "PAN ID", state.network.panId, device.panId);
    if (FirmwareText(state) != device.firmware) out << "firmware " << FirmwareText(state) << " != " << device.firmware;
    if (!q470r) Compare(out, "user PAN ID", state.network.userPanId, device.userPanId);
    const LedgerEntry* rxPullUp = Find(run, "AT+URPU?");
    const bool rxPullUpUnanswered = rxPullUp != nullptr && Unanswered(*rxPullUp);
    return out.str() + (q470r ? DifferencesQ470R(state, device, rxPullUpUnanswered) : std::string());
}

}  // namespace

std::string JobAudit::Describe(const JobRecord& run) {
    return std::string(JobName(run.job)) + " -> " + std::to_string(run.result) +
           (run.deviceGone ? " (port closed)" : "") + Transcript(run);
}

std::string JobAudit::CheckApply(const JobRecord& run, bool exactCode) {
    const Plan plan = PlanOf(run);
    std::string why;
    const std::optional<std::int32_t> expected = ResultOracle(run, plan).Expected(why);
    // A link out of step sends nothing more: the job fails at whichever command it reached.
    if (run.deviceGone || (run.outOfStep && run.result != JobSucceeded)) {
        // A command may have met the close instead of a time-out; only a success needs every answer.
        if (run.result != JobSucceeded) return {};
        if (!expected) return Violation(run, "succeeded although " + why);
        if (*expected != JobSucceeded) return Violation(run, "succeeded without every setting acknowledged");
        return {};
    }
    if (!expected) return Violation(run, why);
    if (!exactCode && (*expected == JobSucceeded) == (run.result == JobSucceeded)) return {};
    if (*expected != run.result) {
        return Violation(run, "the device's answers call for result " + std::to_string(*expected));
    }
    return {};
}

std::string JobAudit::CheckIdentify(const JobRecord& run, const DeviceState& state, const sim::ModemSettings& device) {
    const LedgerEntry* quiet = Find(run, "AT+QM?");
    const LedgerEntry* name = Find(run, "AT+MODELNAME?");
    const std::uint32_t kind = ExpectedKind(device);
    if (run.result == JobSucceeded) {
        if (!quiet || !SentData(*quiet) || !name || !SentData(*name)) {
            return Violation(run, "identified a device that did not answer");
        }
        if (state.modelKind != kind) return Violation(run, "model kind " + std::to_string(state.modelKind));
        const bool quietLine = quiet->reply.dataLines.front() == "\r\n+QM,1\r\n";
        if (state.quietMode != (quietLine ? 1 : 0)) return Violation(run, "quiet flag differs from the device's");
        return {};
    }
    if (run.deviceGone || run.outOfStep) return {};
    const bool broken = (quiet && Unanswered(*quiet)) || (name && Unanswered(*name));
    if (run.result == IdentifyUnknownModel) {
        return kind == 0 ? std::string() : Violation(run, "the device's own model name was refused");
    }
    if (run.result != JobFailed) return Violation(run, "no such result");
    if (!broken && kind == 0 && name) return Violation(run, "an unknown model is result 10");
    return broken ? std::string() : Violation(run, "failed although the device answered");
}

std::string JobAudit::CheckRead(const JobRecord& run, const DeviceState& state, const sim::ModemSettings& device) {
    if (run.result == JobSucceeded) {
        const std::string differences = Differences(run, state, device, run.job == JobReadQ470R);
        return differences.empty() ? std::string() : Violation(run, "read differs from the device: " + differences);
    }
    if (run.deviceGone || run.outOfStep || AnyUnanswered(run)) return {};
    return Violation(run, "failed although the device answered every query");
}

std::string JobAudit::CheckConnect(const JobRecord& run, bool connected, const DeviceState& state,
                                   const sim::ModemSettings& device) {
    const std::uint32_t kind = ExpectedKind(device);
    if (!connected) {
        if (run.deviceGone || run.outOfStep || kind == 0 || AnyUnanswered(run)) return {};
        return Violation(run, "the connection was refused although the device answered");
    }
    if (state.modelKind != kind) return Violation(run, "connected as model kind " + std::to_string(state.modelKind));
    if (state.quietMode != (device.quietMode ? 1 : 0)) return Violation(run, "quiet flag differs from the device's");
    const std::string differences = Differences(run, state, device, kind == ModelQ470R);
    return differences.empty() ? std::string() : Violation(run, "shows what the device does not hold: " + differences);
}

}  // namespace q470::soak
