#include "general_changes.h"

#include <string_view>

#include "cli_text.h"
#include "decimal_number.h"
#include "firmware_version.h"
#include "model_kind.h"
#include "setting_table.h"
#include "setting_values.h"
#include "settings_rules.h"

namespace q470 {

namespace {

// The keys the model's general page lets the user edit, in the order read prints them.
std::string KeyNames(std::uint32_t modelKind) {
    std::string names;
    for (const SettingRow& row : SettingRows()) {
        if (row.page != Page::General || !ModelHas(modelKind, row.setting)) continue;
        names += (names.empty() ? "" : ", ") + std::string(row.key);
    }
    return names;
}

const SettingRow* RowOfKey(std::string_view name) {
    for (const SettingRow& row : SettingRows()) {
        if (row.page == Page::General && !row.key.empty() && row.key == name) return &row;
    }
    return nullptr;
}

// Reads a key's value as its row says: one of its words (the outdoor flag a switch), a number within
// its ranges, or a channel, which is held to the device's plan once the device is read. "" when it
// was taken; otherwise what is allowed.
std::string TakeValue(const SettingRow& row, std::string_view value, const CliText& text,
                      std::optional<std::uint32_t>& slot) {
    if (row.keyIsOutdoorFlag || row.values) {
        const SettingValues& words = row.keyIsOutdoorFlag ? kSwitchValues : *row.values;
        slot = words.Parse(value);
        return slot ? std::string() : words.Words();
    }
    const auto number = ParseDecimal(value, row.widest);
    if (row.rule == Rule::Ranges) {
        const auto allowed = AllowedValues(row.setting);
        if (!number || !IsInRanges(static_cast<std::int64_t>(*number), allowed)) {
            const UiText refused = row.refusedText.value_or(UiText::InvalidPanId);
            return text.Text(ToolText::PanIdAllowed, {text.Text(refused), std::to_string(allowed.front().first),
                                                      std::to_string(allowed.back().last)});
        }
    } else if (!number) {
        return text.Text(ToolText::ChannelAllowed);
    }
    slot = static_cast<std::uint32_t>(*number);
    return {};
}

std::string ChannelList(const std::vector<ValueRange>& channels, const CliText& text) {
    if (channels.empty()) return text.Text(ToolText::NoneWord);
    std::string list;
    for (const auto& range : channels) {
        if (!list.empty()) list += ", ";
        const std::string first = std::to_string(range.first);
        list += range.last == range.first ? first : text.Text(ToolText::RangeTo, {first, std::to_string(range.last)});
    }
    return list;
}

}  // namespace

std::optional<GeneralChanges> GeneralChanges::Parse(const std::vector<std::string>& words, const CliText& text,
                                                    std::string& error) {
    GeneralChanges changes;
    std::vector<std::string_view> seen;
    for (const std::string& word : words) {
        const auto equals = word.find('=');
        const std::string_view name = std::string_view(word).substr(0, equals);
        const SettingRow* row = equals == std::string::npos ? nullptr : RowOfKey(name);
        if (!row) {
            error = text.Text(ToolText::SetNotKeyValue, {word, KeyNames(ModelQ470R) + ", upanid"});
            return std::nullopt;
        }
        for (auto other : seen) {
            if (other == row->key) {
                error = text.Text(ToolText::SetKeyTwice, {row->key});
                return std::nullopt;
            }
        }
        seen.push_back(row->key);
        auto& slot = changes.changes_[static_cast<std::size_t>(row->setting)];
        const std::string allowed = TakeValue(*row, std::string_view(word).substr(equals + 1), text, slot);
        if (!allowed.empty()) {
            error = "set: " + text.Text(ToolText::ValueNotAllowed, {word, allowed});
            return std::nullopt;
        }
    }
    return changes;
}

std::string GeneralChanges::CheckModel(std::uint32_t modelKind, const CliText& text) const {
    const bool q470r = modelKind == ModelQ470R;
    const auto refuse = [&](std::string_view key, ToolText why) {
        return text.Text(ToolText::SetKeyNotForModel, {key, text.Text(why), ModelName(modelKind), KeyNames(modelKind)});
    };
    if (q470r && Changed(Setting::UserPanId)) return refuse("upanid", ToolText::SetWhyQ470RHasPanId);
    if (q470r) return {};
    if (Changed(Setting::PanId)) return refuse("panid", ToolText::SetWhyKeldanHasUserPanId);
    if (Changed(Setting::NetRole)) return refuse("role", ToolText::SetWhyNoRole);
    if (Changed(Setting::PhyId)) return refuse("outdoor", ToolText::SetWhyNoPhyId);
    if (Changed(Setting::RfChannel)) return refuse("channel", ToolText::SetWhyNoChannel);
    if (Changed(Setting::RxPullUp)) return refuse("rx-pullup", ToolText::SetWhyNoRxPullUp);
    return {};
}

std::string GeneralChanges::ApplyTo(GeneralSettings& record, const CliText& text) const {
    const bool q470r = record.modelKind == ModelQ470R;
    std::uint16_t& pageId = q470r ? record.panId : record.userPanId;
    const auto& change = Changed(q470r ? Setting::PanId : Setting::UserPanId);
    if (change) pageId = static_cast<std::uint16_t>(*change);
    if (!IsValidPanIdValue(pageId)) {
        return text.Text(q470r ? ToolText::SetDevicePanIdOutside : ToolText::SetDeviceUserPanIdOutside,
                         {std::to_string(pageId), text.Text(UiText::InvalidPanId), std::to_string(kFirstPanId),
                          std::to_string(kLastPanId)});
    }

    // Unless the outdoor flag changes, the radio stays as the device holds it: its plan's PHY ID, its
    // channel. A changed flag brings the plan of the PHY ID written.
    const bool deviceOutdoor = IsOutdoorPhyId(record.phyId);
    const auto& outdoorFlag = Changed(Setting::PhyId);
    const bool outdoor = outdoorFlag ? *outdoorFlag != 0 : deviceOutdoor;
    const std::uint8_t phyId = outdoor == deviceOutdoor ? PhyIdToApply(record.phyId) : PhyIdForOutdoor(outdoor);
    const auto& channelChange = Changed(Setting::RfChannel);
    const std::uint8_t channel = channelChange ? static_cast<std::uint8_t>(*channelChange) : record.rfChannel;
    const auto allowed = AllowedChannels(phyId, RadioPlan{record.phyId, record.rfChannel});
    if (!IsInRanges(channel, allowed)) {
        return text.Text(channelChange ? ToolText::SetChannelNotInPlan : ToolText::SetDeviceChannelNotInPlan,
                         {std::to_string(channel), std::to_string(phyId), ChannelList(allowed, text)});
    }
    if (Changed(Setting::RxPullUp) && !RecordHasRxPullUp(record)) {
        const bool missing = FirmwareHasRxPullUp(record.firmwareVersion);
        return text.Text(missing ? ToolText::SetRxPullUpMissing : ToolText::SetNoRxPullUp, {record.firmwareVersion});
    }
    record.phyId = phyId;
    record.rfChannel = channel;
    const auto value = [this](Setting setting, std::uint32_t held) { return Changed(setting).value_or(held); };
    record.netRole = static_cast<std::uint8_t>(value(Setting::NetRole, record.netRole == 1 ? 1 : 2));
    record.opMode = static_cast<std::uint8_t>(
        value(Setting::OpMode, OperationMode(IsAtCommandMode(record.opMode), IsOneToNMode(record.opMode))));
    record.quietMode = static_cast<std::uint8_t>(value(Setting::QuietMode, record.quietMode != 0 ? 1 : 0));
    record.baudRate = value(Setting::BaudRate, record.baudRate);
    record.parity = static_cast<std::uint8_t>(value(Setting::Parity, record.parity));
    record.stopBits = static_cast<std::uint8_t>(value(Setting::StopBits, record.stopBits));
    record.dataBits = static_cast<std::uint8_t>(value(Setting::DataBits, record.dataBits));
    record.rxPullUp = static_cast<std::uint8_t>(value(Setting::RxPullUp, record.rxPullUp != 0 ? 1 : 0));
    return {};
}

}  // namespace q470
