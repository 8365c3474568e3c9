#include "setting_table.h"

#include <algorithm>
#include <limits>

#include "channel_plan.h"
#include "command_catalogue.h"
#include "config_keys.h"
#include "firmware_version.h"
#include "model_kind.h"
#include "response_record.h"

namespace q470 {
namespace {

constexpr std::uint32_t kByte = UINT8_MAX;
constexpr std::uint32_t kWord = UINT16_MAX;
constexpr std::uint32_t kLong = UINT32_MAX;
constexpr std::int64_t kLongestReportIntervalMs = std::numeric_limits<std::int32_t>::max();

// The steps that build a row; each returns the row with one more fact.
struct Row : SettingRow {
    constexpr Row(Setting s, std::string_view word, Page where, Models which) : SettingRow() {
        setting = s;
        key = word;
        checkName = word;
        page = where;
        models = which;
    }
    constexpr Row Commands(std::optional<CommandId> queryCommand, CommandId setCommand) const {
        Row row = *this;
        row.query = queryCommand;
        row.set = setCommand;
        return row;
    }
    constexpr Row InFile(FileObject where, const char* name, std::uint32_t widestValue) const {
        Row row = *this;
        row.object = where;
        row.member = name;
        row.widest = widestValue;
        return row;
    }
    constexpr Row Wide(std::uint32_t widestValue) const {
        Row row = *this;
        row.widest = widestValue;
        return row;
    }
    constexpr Row Words(const SettingValues& table) const {
        Row row = *this;
        row.values = &table;
        row.rule = Rule::Values;
        return row;
    }
    constexpr Row Switch() const {
        Row row = Words(kSwitchValues);
        row.boolean = true;
        row.widest = 1;
        return row;
    }
    constexpr Row Range(std::int64_t first, std::int64_t last) const {
        Row row = *this;
        row.rule = Rule::Ranges;
        row.ranges[row.rangeCount++] = {first, last};
        return row;
    }
    constexpr Row RuledBy(Rule what) const {
        Row row = *this;
        row.rule = what;
        return row;
    }
    constexpr Row Compared(ReadBack how, std::string_view name) const {
        Row row = *this;
        row.readBack = how;
        row.checkName = name;
        return row;
    }
    constexpr Row Named(UiText text) const {
        Row row = *this;
        row.name = text;
        return row;
    }
    constexpr Row Steps(UiText step, UiText noun) const {
        Row row = *this;
        row.stepText = step;
        row.stepNoun = noun;
        return row;
    }
    constexpr Row Refused(UiText text) const {
        Row row = *this;
        row.refusedText = text;
        return row;
    }
    constexpr Row NotOnModel(ToolText text) const {
        Row row = *this;
        row.notOnModelText = text;
        return row;
    }
    constexpr Row HeldOutside(ToolText text) const {
        Row row = *this;
        row.heldOutsideText = text;
        return row;
    }
    constexpr Row OnlyWithRxPullUpFirmware() const {
        Row row = *this;
        row.needsRxPullUpFirmware = true;
        return row;
    }
    constexpr Row OutdoorFlagKey() const {
        Row row = *this;
        row.keyIsOutdoorFlag = true;
        return row;
    }
    constexpr Row PerPin() const {
        Row row = *this;
        row.nameTakesPin = true;
        return row;
    }
};

namespace key = config_key;
using S = Setting;

const std::array<SettingRow, kSettingCount> kRows{{
    Row(S::OpMode, "mode", Page::General, Models::All)
        .Commands(CmdInfoQuery, CmdOpModeSet)
        .InFile(FileObject::General, key::kOpMode, kByte)
        .Words(kOperationModeValues)
        .Named(UiText::SettingOpMode),
    Row(S::NetRole, "role", Page::General, Models::Q470R)
        .Commands(CmdInfoQuery, CmdNetRoleSet)
        .InFile(FileObject::General, key::kNetRole, kByte)
        .Words(kNetworkRoleValues)
        .Named(UiText::SettingNetRole)
        .NotOnModel(ToolText::SetWhyNoRole),
    Row(S::PanId, "panid", Page::General, Models::Q470R)
        .Commands(CmdNetInfoQuery, CmdPanIdSet)
        .InFile(FileObject::General, key::kPanId, kWord)
        .Range(kFirstPanId, kLastPanId)
        .Named(UiText::SettingPanId)
        .Refused(UiText::InvalidPanId)
        .NotOnModel(ToolText::SetWhyKeldanHasUserPanId)
        .HeldOutside(ToolText::SetDevicePanIdOutside),
    Row(S::UserPanId, "upanid", Page::General, Models::Keldan)
        .Commands(CmdUserPanIdQuery, CmdUserPanIdSet)
        .InFile(FileObject::General, key::kUserPanId, kWord)
        .Range(kFirstPanId, kLastPanId)
        .Named(UiText::SettingUserPanId)
        .Refused(UiText::InvalidPanId)
        .NotOnModel(ToolText::SetWhyQ470RHasPanId)
        .HeldOutside(ToolText::SetDeviceUserPanIdOutside),
    // A file never sets the PHY ID: it applies to a device on the same channel plan.
    Row(S::PhyId, "outdoor", Page::General, Models::Q470R)
        .OutdoorFlagKey()
        .Commands(CmdNetInfoQuery, CmdPhyIdSet)
        .Wide(kByte)
        .Range(1, 13)
        .Compared(ReadBack::Value, "phyid")
        .Named(UiText::SettingPhyId)
        .NotOnModel(ToolText::SetWhyNoPhyId),
    Row(S::RfChannel, "channel", Page::General, Models::Q470R)
        .Commands(CmdNetInfoQuery, CmdRfChannelSet)
        .InFile(FileObject::General, key::kRfChannel, kByte)
        .RuledBy(Rule::ChannelPlans)
        .Named(UiText::SettingRfChannel)
        .NotOnModel(ToolText::SetWhyNoChannel),
    // No read reports the UART: the device answering at the line written proves it.
    Row(S::BaudRate, "baud", Page::General, Models::All)
        .Commands(std::nullopt, CmdUartSet)
        .InFile(FileObject::Uart, key::kBaudrate, kLong)
        .Words(kBaudRateValues)
        .Compared(ReadBack::Line, "uart")
        .Named(UiText::SettingBaudRate)
        .Steps(UiText::StepUart, UiText::NounUart),
    Row(S::Parity, "parity", Page::General, Models::All)
        .Commands(std::nullopt, CmdUartSet)
        .InFile(FileObject::Uart, key::kParity, kByte)
        .Words(kDeviceParityValues)
        .Compared(ReadBack::None, "")
        .Named(UiText::SettingParity),
    Row(S::StopBits, "stop-bits", Page::General, Models::All)
        .Commands(std::nullopt, CmdUartSet)
        .InFile(FileObject::Uart, key::kStopbit, kByte)
        .Words(kDeviceStopBitValues)
        .Compared(ReadBack::None, "")
        .Named(UiText::SettingStopBits),
    Row(S::DataBits, "data-bits", Page::General, Models::All)
        .Commands(std::nullopt, CmdUartSet)
        .InFile(FileObject::Uart, key::kDatabit, kByte)
        .Words(kDataBitValues)
        .Compared(ReadBack::None, "")
        .Named(UiText::SettingDataBits),
    Row(S::QuietMode, "quiet", Page::General, Models::All)
        .Commands(CmdQuietModeQuery, CmdQuietModeSet)
        .InFile(FileObject::General, key::kQuietMode, 1)
        .Switch()
        .Named(UiText::SettingQuietMode),
    // A file holds no RX pull-up: it is set on its own.
    Row(S::RxPullUp, "rx-pullup", Page::General, Models::Q470R)
        .OnlyWithRxPullUpFirmware()
        .Commands(CmdRxPullUpQuery, CmdRxPullUpSet)
        .Switch()
        .Named(UiText::SettingRxPullUp)
        .NotOnModel(ToolText::SetWhyNoRxPullUp),
    Row(S::GpioPin, "", Page::Gpio, Models::Q470R)
        .Commands(CmdGpioConfigQuery, CmdGpioConfigSet)
        .InFile(FileObject::Pin, key::kNum, kByte)
        .Range(0, kGpioPinCount - 1)
        .Compared(ReadBack::Pin, "pin")
        .Named(UiText::SettingGpioPin)
        .Steps(UiText::StepGpioPin, UiText::NounGpioPin),
    Row(S::GpioMode, "", Page::Gpio, Models::Q470R)
        .Commands(CmdGpioConfigQuery, CmdGpioConfigSet)
        .InFile(FileObject::Pin, key::kIoMode, kByte)
        .Words(kGpioModeValues)
        .Range(kGpioModeInput, kGpioModeAlternate)
        .RuledBy(Rule::PinModes)
        .Compared(ReadBack::None, "")
        .Named(UiText::SettingGpioMode)
        .PerPin(),
    // Its words depend on the pin and the mode: GpioValues().
    Row(S::GpioValue, "", Page::Gpio, Models::Q470R)
        .Commands(CmdGpioConfigQuery, CmdGpioConfigSet)
        .InFile(FileObject::Pin, key::kConfig, kByte)
        .Range(0, 2)
        .RuledBy(Rule::ModeValues)
        .Compared(ReadBack::None, "")
        .Named(UiText::SettingGpioValue)
        .PerPin(),
    Row(S::ReportInterval, "interval", Page::Gpio, Models::Q470R)
        .Commands(CmdGpioPeriodicQuery, CmdGpioPeriodicSet)
        .InFile(FileObject::PeriodicReport, key::kReportInterval, kLong)
        .Range(0, 0)
        .Range(kShortestReportIntervalMs, kLongestReportIntervalMs)
        .Named(UiText::SettingReportInterval)
        .Refused(UiText::InvalidGpioInterval)
        .Steps(UiText::StepGpioReport, UiText::NounGpioReport),
    Row(S::SendRemote, "send-to-peer", Page::Gpio, Models::Q470R)
        .Commands(CmdGpioPeriodicQuery, CmdGpioPeriodicSet)
        .InFile(FileObject::PeriodicReport, key::kSendRemote, 1)
        .Switch()
        .Named(UiText::SettingSendRemote),
}};

bool InTableOrder() {
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        if (static_cast<std::size_t>(kRows[i].setting) != i) return false;
    }
    return true;
}

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

}  // namespace

const std::array<SettingRow, kSettingCount>& SettingRows() {
    static const bool ordered = InTableOrder();
    (void)ordered;
    return kRows;
}

const SettingRow& RowOf(Setting setting) {
    return kRows[static_cast<std::size_t>(setting)];
}

const SettingRow* RowOfSetCommand(std::int32_t command) {
    for (const SettingRow& row : kRows) {
        if (row.set == command) return &row;
    }
    return nullptr;
}

std::vector<const SettingRow*> RowsOfSetCommand(std::int32_t command) {
    std::vector<const SettingRow*> rows;
    for (const SettingRow& row : kRows) {
        if (row.set == command) rows.push_back(&row);
    }
    return rows;
}

const std::vector<Setting>& GeneralWriteOrder() {
    static const std::vector<Setting> order{S::OpMode,    S::PanId,    S::UserPanId, S::PhyId,
                                            S::RfChannel, S::NetRole,  S::BaudRate,  S::StopBits,
                                            S::Parity,    S::DataBits, S::RxPullUp,  S::QuietMode};
    return order;
}

bool ModelHas(std::uint32_t modelKind, Setting setting) {
    switch (RowOf(setting).models) {
        case Models::All:
            return true;
        case Models::Q470R:
            return modelKind == ModelQ470R;
        case Models::Keldan:
            return modelKind != ModelQ470R;
    }
    return false;
}

bool DeviceHas(const DeviceFacts& device, Setting setting) {
    if (!ModelHas(device.modelKind, setting)) return false;
    if (!RowOf(setting).needsRxPullUpFirmware) return true;
    return !device.rxPullUpMissing && FirmwareHasRxPullUp(device.firmware);
}

std::vector<ValueRange> AllowedValues(Setting setting) {
    const SettingRow& row = RowOf(setting);
    switch (row.rule) {
        case Rule::Values:
            return RangesOf(*row.values);
        case Rule::ChannelPlans:
            return AnyPlanChannels();
        case Rule::Ranges:
        case Rule::PinModes:
        case Rule::ModeValues:
            break;
    }
    return {row.ranges.begin(), row.ranges.begin() + row.rangeCount};
}

}  // namespace q470
