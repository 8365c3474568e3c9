#include "settings_rules.h"

#include "device_state.h"

namespace q470 {
namespace {

// Appends a refusal when `value` is not allowed.
void Require(SettingProblems& problems, Setting field, std::int64_t value, std::vector<ValueRange> allowed) {
    if (!IsInRanges(value, allowed)) problems.push_back(NotAllowed(field, value, std::move(allowed)));
}

void Require(SettingProblems& problems, Setting field, std::int64_t value) {
    Require(problems, field, value, AllowedValues(field));
}

void RequireChannel(SettingProblems& problems, std::uint8_t phyId, std::uint8_t channel, const RadioPlan& held) {
    const auto allowed = AllowedChannels(phyId, held);
    if (IsInRanges(channel, allowed)) return;
    SettingProblem problem = NotAllowed(Setting::RfChannel, channel, allowed);
    problem.note = ChannelsForPhyId(phyId).empty() ? RuleNote::NoChannelPlan : RuleNote::ChannelPlan;
    problem.phyId = phyId;
    problems.push_back(std::move(problem));
}

}  // namespace

DeviceFacts FactsOf(const GeneralSettings& record) {
    return {record.modelKind, record.firmwareVersion, record.rxPullUpMissing};
}

std::int64_t GeneralValue(const GeneralSettings& record, Setting setting) {
    switch (setting) {
        case Setting::OpMode:
            return record.opMode;
        case Setting::NetRole:
            return record.netRole;
        case Setting::PanId:
            return record.panId;
        case Setting::UserPanId:
            return record.userPanId;
        case Setting::PhyId:
            return record.phyId;
        case Setting::RfChannel:
            return record.rfChannel;
        case Setting::BaudRate:
            return record.baudRate;
        case Setting::Parity:
            return record.parity;
        case Setting::StopBits:
            return record.stopBits;
        case Setting::DataBits:
            return record.dataBits;
        case Setting::QuietMode:
            return record.quietMode;
        case Setting::RxPullUp:
            return record.rxPullUp;
        default:
            return 0;
    }
}

bool IsValidPanIdValue(std::uint64_t value) {
    return value <= UINT16_MAX && IsInRanges(static_cast<std::int64_t>(value), AllowedValues(Setting::PanId));
}

bool IsAcceptedReportInterval(std::int64_t milliseconds) {
    return IsInRanges(milliseconds, AllowedValues(Setting::ReportInterval));
}

SettingProblem NotAllowed(Setting field, std::int64_t value, std::vector<ValueRange> allowed) {
    SettingProblem problem;
    problem.kind = ProblemKind::NotAllowed;
    problem.field = field;
    problem.value = std::to_string(value);
    problem.allowed = std::move(allowed);
    return problem;
}

std::optional<SettingProblem> CheckGpioEntry(const GpioEntry& entry) {
    if (!IsInRanges(entry.pin, AllowedValues(Setting::GpioPin))) {
        return NotAllowed(Setting::GpioPin, entry.pin, AllowedValues(Setting::GpioPin));
    }
    const auto modes = AllowedGpioModes(entry.pin);
    if (!IsInRanges(entry.ioMode, modes)) {
        SettingProblem problem = NotAllowed(Setting::GpioMode, entry.ioMode, modes);
        problem.note = RuleNote::ModesOfPin;
        problem.pin = entry.pin;
        return problem;
    }
    const auto values = AllowedGpioValues(entry.pin, entry.ioMode);
    if (IsInRanges(entry.pinConfig, values)) return std::nullopt;
    SettingProblem problem = NotAllowed(Setting::GpioValue, entry.pinConfig, values);
    problem.note = RuleNote::ValuesOfMode;
    problem.pin = entry.pin;
    problem.ioMode = entry.ioMode;
    return problem;
}

bool RecordHasRxPullUp(const GeneralSettings& record) {
    return DeviceHas(FactsOf(record), Setting::RxPullUp);
}

SettingProblems CheckGeneralSettings(const GeneralSettings& record, const RadioPlan& held) {
    SettingProblems problems;
    const DeviceFacts device = FactsOf(record);
    for (const Setting setting : GeneralWriteOrder()) {
        if (!DeviceHas(device, setting)) continue;
        if (setting == Setting::RfChannel) {
            RequireChannel(problems, record.phyId, record.rfChannel, held);
        } else {
            Require(problems, setting, GeneralValue(record, setting));
        }
    }
    return problems;
}

SettingProblems CheckGpioSettings(const GpioSettings& record) {
    SettingProblems problems;
    for (const GpioEntry& entry : record.pins) {
        if (auto problem = CheckGpioEntry(entry)) problems.push_back(std::move(*problem));
    }
    Require(problems, Setting::ReportInterval, record.reportInterval);
    Require(problems, Setting::SendRemote, record.sendToPeer);
    return problems;
}

std::uint8_t OperationMode(bool atCommand, bool oneToN) {
    if (atCommand) return oneToN ? 4 : 2;
    return oneToN ? 3 : 1;
}

bool IsAtCommandMode(std::uint8_t opMode) {
    return opMode != 1 && opMode != 3;
}

bool IsOneToNMode(std::uint8_t opMode) {
    return opMode != 1 && opMode != 2;
}

}  // namespace q470
