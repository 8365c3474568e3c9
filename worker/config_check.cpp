#include "config_check.h"

#include "config_keys.h"
#include "model_kind.h"

namespace q470 {
namespace {

constexpr std::uint8_t kUnknownContext = UINT8_MAX;  // the reader could not read the pin or mode

bool IsQ470ROnly(std::int32_t command) {
    switch (command) {
        case CmdPanIdSet:
        case CmdNetRoleSet:
        case CmdRfChannelSet:
        case CmdGpioConfigSet:
        case CmdGpioPeriodicSet:
            return true;
        default:
            return false;
    }
}

bool IsKsOnly(std::int32_t command) {
    return command == CmdUserPanIdSet;
}

SettingField FieldOfItem(std::int32_t command) {
    switch (command) {
        case CmdPanIdSet:
            return SettingField::PanId;
        case CmdNetRoleSet:
            return SettingField::NetRole;
        case CmdRfChannelSet:
            return SettingField::RfChannel;
        case CmdGpioConfigSet:
            return SettingField::GpioPin;
        case CmdGpioPeriodicSet:
            return SettingField::ReportInterval;
        case CmdUserPanIdSet:
            return SettingField::UserPanId;
        default:
            return SettingField::OpMode;
    }
}

// The reader refuses a number that does not fit its field before any rule is asked; what it may hold
// comes from the rules, as narrow as the pin, mode or radio plan it stands with allow.
void CompleteReaderRefusal(SettingProblem& problem, const ConfigTarget& target) {
    problem.note = RuleNote::None;
    switch (problem.field) {
        case SettingField::GpioMode:
            if (problem.pin != kUnknownContext && !AllowedGpioModes(problem.pin).empty()) {
                problem.allowed = AllowedGpioModes(problem.pin);
                problem.note = RuleNote::ModesOfPin;
                return;
            }
            break;
        case SettingField::GpioValue:
            if (problem.pin != kUnknownContext && problem.ioMode != kUnknownContext &&
                !AllowedGpioValues(problem.pin, problem.ioMode).empty()) {
                problem.allowed = AllowedGpioValues(problem.pin, problem.ioMode);
                problem.note = RuleNote::ValuesOfMode;
                return;
            }
            break;
        case SettingField::RfChannel:
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
        const bool q470r = target_.modelKind == ModelQ470R;
        if ((IsQ470ROnly(item.command) && !q470r) || (IsKsOnly(item.command) && q470r)) {
            SettingProblem problem;
            problem.kind = ProblemKind::NotForModel;
            problem.field = FieldOfItem(item.command);
            problem.member = member;
            problem.modelKind = target_.modelKind;
            problems_.push_back(std::move(problem));
            return;
        }
        switch (item.command) {
            case CmdOpModeSet:
                return Require(member, SettingField::OpMode, item.opMode);
            case CmdNetRoleSet:
                return Require(member, SettingField::NetRole, item.netRole);
            case CmdPanIdSet:
                return Require(member, SettingField::PanId, item.panId);
            case CmdUserPanIdSet:
                return Require(member, SettingField::UserPanId, item.userPanId);
            case CmdRfChannelSet:
                return CheckChannel(member, item.rfChannel);
            case CmdUartSet:
                Require(Join(member, config_key::kBaudrate), SettingField::BaudRate, item.baudRate);
                Require(Join(member, config_key::kParity), SettingField::Parity, item.parity);
                Require(Join(member, config_key::kStopbit), SettingField::StopBits, item.stopBits);
                return Require(Join(member, config_key::kDatabit), SettingField::DataBits, item.dataBits);
            case CmdGpioConfigSet:
                return CheckPin(member, item);
            case CmdGpioPeriodicSet:
                return Require(Join(member, config_key::kReportInterval), SettingField::ReportInterval,
                               item.reportInterval);
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

    void Require(const std::string& member, SettingField field, std::int64_t value) {
        const auto allowed = AllowedValues(field);
        if (!IsInRanges(value, allowed)) Add(NotAllowed(field, value, allowed), member);
    }

    // Only a device that has been read tells which plan applies.
    void CheckChannel(const std::string& member, std::uint8_t channel) {
        if (!target_.radio) return Require(member, SettingField::RfChannel, channel);
        const std::uint8_t phyId = target_.radio->phyId;
        const auto allowed = AllowedChannels(phyId, target_.radio);
        if (IsInRanges(channel, allowed)) return;
        SettingProblem problem = NotAllowed(SettingField::RfChannel, channel, allowed);
        problem.note = ChannelsForPhyId(phyId).empty() ? RuleNote::NoChannelPlan : RuleNote::ChannelPlan;
        problem.phyId = phyId;
        Add(std::move(problem), member);
    }

    void CheckPin(const std::string& member, const SettingItem& item) {
        auto problem = CheckGpioEntry(GpioEntry{item.pin, item.ioMode, item.pinConfig});
        if (!problem) return;
        const char* name = problem->field == SettingField::GpioPin    ? config_key::kNum
                           : problem->field == SettingField::GpioMode ? config_key::kIoMode
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
