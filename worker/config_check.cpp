#include "config_check.h"

#include "config_keys.h"
#include "model_kind.h"
#include "setting_table.h"

namespace q470 {
namespace {

constexpr std::uint8_t kUnknownContext = UINT8_MAX;  // the reader could not read the pin or mode

// The reader refuses a number that does not fit its field before any rule is asked; what it may hold
// comes from the rules, as narrow as the pin, mode or radio plan it stands with allow.
void CompleteReaderRefusal(SettingProblem& problem, const ConfigTarget& target) {
    problem.note = RuleNote::None;
    switch (problem.field) {
        case Setting::GpioMode:
            if (problem.pin != kUnknownContext && !AllowedGpioModes(problem.pin).empty()) {
                problem.allowed = AllowedGpioModes(problem.pin);
                problem.note = RuleNote::ModesOfPin;
                return;
            }
            break;
        case Setting::GpioValue:
            if (problem.pin != kUnknownContext && problem.ioMode != kUnknownContext &&
                !AllowedGpioValues(problem.pin, problem.ioMode).empty()) {
                problem.allowed = AllowedGpioValues(problem.pin, problem.ioMode);
                problem.note = RuleNote::ValuesOfMode;
                return;
            }
            break;
        case Setting::RfChannel:
            if (target.modelKind == ModelQ470R && target.radio) {
                problem.phyId = target.radio->phyId;
                problem.allowed = AllowedChannels(problem.phyId, target.radio);
                problem.note =
                    ChannelsForPhyId(problem.phyId).empty() ? RuleNote::NoChannelPlan : RuleNote::ChannelPlan;
                return;
            }
            break;
        default:
            break;
    }
    problem.allowed = AllowedValues(problem.field);
}

class ItemCheck {
public:
    ItemCheck(const ConfigTarget& target, SettingProblems& problems) : target_(target), problems_(problems) {}

    void Check(const SettingItem& item, const std::string& member) {
        const SettingRow* row = RowOfSetCommand(item.command);
        if (row != nullptr && !ModelHas(target_.modelKind, row->setting)) {
            SettingProblem problem;
            problem.kind = ProblemKind::NotForModel;
            problem.field = row->setting;
            problem.member = member;
            problem.modelKind = target_.modelKind;
            problems_.push_back(std::move(problem));
            return;
        }
        switch (item.command) {
            case CmdOpModeSet:
                return Require(member, Setting::OpMode, item.opMode);
            case CmdNetRoleSet:
                return Require(member, Setting::NetRole, item.netRole);
            case CmdPanIdSet:
                return Require(member, Setting::PanId, item.panId);
            case CmdUserPanIdSet:
                return Require(member, Setting::UserPanId, item.userPanId);
            case CmdRfChannelSet:
                return CheckChannel(member, item.rfChannel);
            case CmdUartSet:
                Require(Join(member, config_key::kBaudrate), Setting::BaudRate, item.baudRate);
                Require(Join(member, config_key::kParity), Setting::Parity, item.parity);
                Require(Join(member, config_key::kStopbit), Setting::StopBits, item.stopBits);
                return Require(Join(member, config_key::kDatabit), Setting::DataBits, item.dataBits);
            case CmdGpioConfigSet:
                return CheckPin(member, item);
            case CmdGpioPeriodicSet:
                return Require(Join(member, config_key::kReportInterval), Setting::ReportInterval, item.reportInterval);
            default:
                return;  // quiet mode is a boolean: any value the reader made is allowed
        }
    }

private:
    static std::string Join(const std::string& member, const char* name) {
        return member.empty() ? std::string() : member + "/" + name;
    }

    void Add(SettingProblem problem, const std::string& member) {
        problem.member = member;
        problems_.push_back(std::move(problem));
    }

    void Require(const std::string& member, Setting field, std::int64_t value) {
        const auto allowed = AllowedValues(field);
        if (!IsInRanges(value, allowed)) Add(NotAllowed(field, value, allowed), member);
    }

    // Only a device that has been read tells which plan applies.
    void CheckChannel(const std::string& member, std::uint8_t channel) {
        if (!target_.radio) return Require(member, Setting::RfChannel, channel);
        const std::uint8_t phyId = target_.radio->phyId;
        const auto allowed = AllowedChannels(phyId, target_.radio);
        if (IsInRanges(channel, allowed)) return;
        SettingProblem problem = NotAllowed(Setting::RfChannel, channel, allowed);
        problem.note = ChannelsForPhyId(phyId).empty() ? RuleNote::NoChannelPlan : RuleNote::ChannelPlan;
        problem.phyId = phyId;
        Add(std::move(problem), member);
    }

    void CheckPin(const std::string& member, const SettingItem& item) {
        auto problem = CheckGpioEntry(GpioEntry{item.pin, item.ioMode, item.pinConfig});
        if (!problem) return;
        const char* name = problem->field == Setting::GpioPin    ? config_key::kNum
                           : problem->field == Setting::GpioMode ? config_key::kIoMode
                                                                 : config_key::kConfig;
        Add(std::move(*problem), Join(member, name));
    }

    const ConfigTarget& target_;
    SettingProblems& problems_;
};

}  // namespace

SettingProblems CheckConfigItems(const SettingItemList& items, const ConfigReadReport& report,
                                 const ConfigTarget& target) {
    SettingProblems problems = report.problems;
    for (SettingProblem& problem : problems) {
        if (problem.kind == ProblemKind::NotAllowed) CompleteReaderRefusal(problem, target);
    }
    ItemCheck check(target, problems);
    for (std::size_t i = 0; i < items.size(); ++i) {
        check.Check(items[i], i < report.itemMembers.size() ? report.itemMembers[i] : std::string());
    }
    return problems;
}

}  // namespace q470
