#include "settings_rules.h"

#include <algorithm>
#include <array>
#include <limits>

#include "device_state.h"
#include "model_kind.h"
#include "setting_values.h"

namespace q470 {
namespace {

constexpr std::int64_t kLongestReportIntervalMs = std::numeric_limits<std::int32_t>::max();

struct FieldRule {
    SettingField field;
    std::size_t count;
    std::array<ValueRange, 2> ranges;
};

// Device-independent rules. RF channel, GPIO mode and GPIO value list every value that any plan, pin or
// mode allows; the functions below narrow them.
constexpr std::array<FieldRule, 11> kFieldRules{{
    {SettingField::PanId, 1, {{{kFirstPanId, kLastPanId}}}},
    {SettingField::UserPanId, 1, {{{kFirstPanId, kLastPanId}}}},
    {SettingField::PhyId, 1, {{{1, 13}}}},
    {SettingField::RfChannel, 2, {{{46, 51}, {93, 105}}}},
    {SettingField::QuietMode, 1, {{{0, 1}}}},
    {SettingField::RxPullUp, 1, {{{0, 1}}}},
    {SettingField::GpioPin, 1, {{{0, 12}}}},
    {SettingField::GpioMode, 1, {{{0, 2}}}},
    {SettingField::GpioValue, 1, {{{0, 2}}}},
    {SettingField::ReportInterval, 2, {{{0, 0}, {kShortestReportIntervalMs, kLongestReportIntervalMs}}}},
    {SettingField::SendRemote, 1, {{{0, 1}}}},
}};

// The settings whose values are a table of their own: what the table holds is what they may hold.
struct TableRule {
    SettingField field;
    const SettingValues* values;
};

const std::array<TableRule, 6> kTableRules{{
    {SettingField::OpMode, &kOperationModeValues},
    {SettingField::NetRole, &kNetworkRoleValues},
    {SettingField::BaudRate, &kBaudRateValues},
    {SettingField::Parity, &kDeviceParityValues},
    {SettingField::StopBits, &kDeviceStopBitValues},
    {SettingField::DataBits, &kDataBitValues},
}};

// The codes of a table as ranges, lowest first, neighbouring codes joined: {0, 2, 1} gives 0-2.
std::vector<ValueRange> RangesOf(const SettingValues& values) {
    std::vector<std::int64_t> codes;
    for (const SettingValue& row : values) codes.push_back(row.code);
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    std::vector<ValueRange> ranges;
    for (const std::int64_t code : codes) {
        if (!ranges.empty() && ranges.back().last + 1 == code) {
            ranges.back().last = code;
        } else {
            ranges.push_back({code, code});
        }
    }
    return ranges;
}

struct ChannelPlan {
    std::array<std::uint8_t, 2> phyIds;
    std::uint8_t firstChannel;
    std::uint8_t lastChannel;
    std::uint8_t defaultChannel;
    bool lettered;  // "A(99)" instead of "99"
};

constexpr std::array<ChannelPlan, 3> kChannelPlans{{
    {{8, 8}, 46, 51, 46, false},
    {{2, 5}, 93, 105, 99, false},
    {{12, 13}, 99, 105, 99, true},
}};

// Channels 99 to 105 carry the letters A to G.
constexpr std::uint8_t kFirstLetteredChannel = 99;
constexpr std::uint8_t kLastLetteredChannel = 105;

constexpr std::array<std::uint8_t, 3> kOutdoorPhyIds{2, 5, 8};
constexpr std::uint8_t kOutdoorPhyId = 2;
constexpr std::uint8_t kIndoorPhyId = 12;

const ChannelPlan* FindPlan(std::uint8_t phyId) {
    for (const auto& plan : kChannelPlans) {
        if (plan.phyIds[0] == phyId || plan.phyIds[1] == phyId) return &plan;
    }
    return nullptr;
}

std::int64_t Value(std::uint64_t value) {
    return static_cast<std::int64_t>(value);
}

// Appends a refusal when `value` is not allowed.
void Require(SettingProblems& problems, SettingField field, std::int64_t value, std::vector<ValueRange> allowed) {
    if (!IsInRanges(value, allowed)) problems.push_back(NotAllowed(field, value, std::move(allowed)));
}

void Require(SettingProblems& problems, SettingField field, std::int64_t value) {
    Require(problems, field, value, AllowedValues(field));
}

void RequireChannel(SettingProblems& problems, std::uint8_t phyId, std::uint8_t channel, const RadioPlan& held) {
    const auto allowed = AllowedChannels(phyId, held);
    if (IsInRanges(channel, allowed)) return;
    SettingProblem problem = NotAllowed(SettingField::RfChannel, channel, allowed);
    problem.note = FindPlan(phyId) != nullptr ? RuleNote::ChannelPlan : RuleNote::NoChannelPlan;
    problem.phyId = phyId;
    problems.push_back(std::move(problem));
}

}  // namespace

std::vector<ValueRange> AllowedValues(SettingField field) {
    for (const auto& rule : kTableRules) {
        if (rule.field == field) return RangesOf(*rule.values);
    }
    for (const auto& rule : kFieldRules) {
        if (rule.field == field) return {rule.ranges.begin(), rule.ranges.begin() + rule.count};
    }
    return {};
}

std::vector<ValueRange> AllowedGpioModes(std::uint8_t pin) {
    if (!IsInRanges(pin, AllowedValues(SettingField::GpioPin))) return {};
    return {{kGpioModeInput, HasAlternateFunction(pin) ? kGpioModeAlternate : kGpioModeOutput}};
}

std::vector<ValueRange> AllowedGpioValues(std::uint8_t pin, std::uint8_t ioMode) {
    const std::uint8_t count = GpioValueCount(pin, ioMode);
    if (count == 0) return {};
    return {{0, count - 1}};
}

std::vector<ValueRange> AllowedChannels(std::uint8_t phyId, const std::optional<RadioPlan>& held) {
    if (const ChannelPlan* plan = FindPlan(phyId)) return {{plan->firstChannel, plan->lastChannel}};
    if (held && held->phyId == phyId) return {{held->rfChannel, held->rfChannel}};
    return {};
}

bool IsInRanges(std::int64_t value, const std::vector<ValueRange>& ranges) {
    for (const auto& range : ranges) {
        if (value >= range.first && value <= range.last) return true;
    }
    return false;
}

bool IsValidPanIdValue(std::uint64_t value) {
    return value <= UINT16_MAX && IsInRanges(Value(value), AllowedValues(SettingField::PanId));
}

bool IsAcceptedReportInterval(std::int64_t milliseconds) {
    return IsInRanges(milliseconds, AllowedValues(SettingField::ReportInterval));
}

SettingProblem NotAllowed(SettingField field, std::int64_t value, std::vector<ValueRange> allowed) {
    SettingProblem problem;
    problem.kind = ProblemKind::NotAllowed;
    problem.field = field;
    problem.value = std::to_string(value);
    problem.allowed = std::move(allowed);
    return problem;
}

std::optional<SettingProblem> CheckGpioEntry(const GpioEntry& entry) {
    if (!IsInRanges(entry.pin, AllowedValues(SettingField::GpioPin))) {
        return NotAllowed(SettingField::GpioPin, entry.pin, AllowedValues(SettingField::GpioPin));
    }
    const auto modes = AllowedGpioModes(entry.pin);
    if (!IsInRanges(entry.ioMode, modes)) {
        SettingProblem problem = NotAllowed(SettingField::GpioMode, entry.ioMode, modes);
        problem.note = RuleNote::ModesOfPin;
        problem.pin = entry.pin;
        return problem;
    }
    const auto values = AllowedGpioValues(entry.pin, entry.ioMode);
    if (IsInRanges(entry.pinConfig, values)) return std::nullopt;
    SettingProblem problem = NotAllowed(SettingField::GpioValue, entry.pinConfig, values);
    problem.note = RuleNote::ValuesOfMode;
    problem.pin = entry.pin;
    problem.ioMode = entry.ioMode;
    return problem;
}

bool RecordHasRxPullUp(const GeneralSettings& record) {
    return DeviceHasRxPullUp(record.modelKind, record.firmwareVersion, record.rxPullUpMissing);
}

SettingProblems CheckGeneralSettings(const GeneralSettings& record, const RadioPlan& held) {
    SettingProblems problems;
    const bool q470r = record.modelKind == ModelQ470R;
    Require(problems, SettingField::OpMode, record.opMode);
    if (q470r) {
        Require(problems, SettingField::PanId, record.panId);
        Require(problems, SettingField::PhyId, record.phyId);
        RequireChannel(problems, record.phyId, record.rfChannel, held);
        Require(problems, SettingField::NetRole, record.netRole);
    } else {
        Require(problems, SettingField::UserPanId, record.userPanId);
    }
    Require(problems, SettingField::BaudRate, record.baudRate);
    Require(problems, SettingField::StopBits, record.stopBits);
    Require(problems, SettingField::Parity, record.parity);
    Require(problems, SettingField::DataBits, record.dataBits);
    if (RecordHasRxPullUp(record)) Require(problems, SettingField::RxPullUp, record.rxPullUp);
    Require(problems, SettingField::QuietMode, record.quietMode);
    return problems;
}

SettingProblems CheckGpioSettings(const GpioSettings& record) {
    SettingProblems problems;
    for (const GpioEntry& entry : record.pins) {
        if (auto problem = CheckGpioEntry(entry)) problems.push_back(std::move(*problem));
    }
    Require(problems, SettingField::ReportInterval, record.reportInterval);
    Require(problems, SettingField::SendRemote, record.sendToPeer);
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

bool IsOutdoorPhyId(std::uint8_t phyId) {
    for (auto outdoor : kOutdoorPhyIds) {
        if (outdoor == phyId) return true;
    }
    return false;
}

std::uint8_t PhyIdForOutdoor(bool outdoor) {
    return outdoor ? kOutdoorPhyId : kIndoorPhyId;
}

bool SameChannelPlan(std::uint8_t a, std::uint8_t b) {
    const ChannelPlan* plan = FindPlan(a);
    return plan != nullptr ? plan == FindPlan(b) : a == b;
}

std::uint8_t PhyIdToApply(std::uint8_t devicePhyId) {
    const std::uint8_t mapped = PhyIdForOutdoor(IsOutdoorPhyId(devicePhyId));
    return SameChannelPlan(mapped, devicePhyId) ? mapped : devicePhyId;
}

bool HasAlternateFunction(std::uint8_t pin) {
    return AlternateFunctionName(pin) != nullptr;
}

std::uint8_t GpioValueCount(std::uint8_t pin, std::uint8_t ioMode) {
    if (!IsInRanges(pin, AllowedValues(SettingField::GpioPin))) return 0;
    if (ioMode == kGpioModeAlternate && !HasAlternateFunction(pin)) return 0;
    return static_cast<std::uint8_t>(GpioValues(pin, ioMode).LabelCount());
}

std::vector<std::uint8_t> ChannelsForPhyId(std::uint8_t phyId) {
    std::vector<std::uint8_t> channels;
    if (const ChannelPlan* plan = FindPlan(phyId)) {
        for (unsigned channel = plan->firstChannel; channel <= plan->lastChannel; ++channel) {
            channels.push_back(static_cast<std::uint8_t>(channel));
        }
    }
    return channels;
}

std::optional<std::uint8_t> DefaultChannelForPhyId(std::uint8_t phyId) {
    if (const ChannelPlan* plan = FindPlan(phyId)) return plan->defaultChannel;
    return std::nullopt;
}

std::string ChannelText(std::uint8_t phyId, std::uint8_t channel) {
    const ChannelPlan* plan = FindPlan(phyId);
    const bool lettered =
        plan != nullptr && plan->lettered && channel >= kFirstLetteredChannel && channel <= kLastLetteredChannel;
    if (!lettered) return std::to_string(channel);
    const char letter = static_cast<char>('A' + (channel - kFirstLetteredChannel));
    return std::string(1, letter) + "(" + std::to_string(channel) + ")";
}

}  // namespace q470
