#include "general_changes.h"

#include <array>
#include <string_view>

#include "cli_text.h"
#include "decimal_number.h"
#include "firmware_version.h"
#include "model_kind.h"
#include "setting_table.h"
#include "setting_values.h"
#include "settings_rules.h"

namespace q470 {

// How each key is read and where it goes.
class GeneralKeyTable {
public:
    struct Key {
        std::string_view name;
        // Stores the value; "" or what is allowed.
        std::string (*take)(GeneralChanges&, std::string_view value, const CliText& text);
    };

    static const Key* Find(std::string_view name);
    static std::string Names(std::uint32_t modelKind);

    template <typename T>
    static std::string Named(std::optional<T>& field, const SettingValues& names, std::string_view value) {
        const auto parsed = names.Parse(value);
        if (!parsed) return names.Words();
        field = static_cast<T>(*parsed);
        return {};
    }

    static std::string PanId(std::optional<std::uint16_t>& field, std::string_view value, const CliText& text) {
        const auto number = ParseDecimal(value, UINT16_MAX);
        if (!number || !IsValidPanIdValue(*number))
            return text.Text(ToolText::PanIdAllowed, {text.Text(UiText::InvalidPanId), std::to_string(kFirstPanId),
                                                      std::to_string(kLastPanId)});
        field = static_cast<std::uint16_t>(*number);
        return {};
    }

    static std::string Channel(GeneralChanges& c, std::string_view value, const CliText& text) {
        const auto number = ParseDecimal(value, UINT8_MAX);
        if (!number) return text.Text(ToolText::ChannelAllowed);
        c.channel_ = static_cast<std::uint8_t>(*number);
        return {};
    }

    static std::string Outdoor(GeneralChanges& c, std::string_view value, const CliText&) {
        std::optional<std::uint8_t> flag;
        std::string allowed = Named(flag, kSwitchValues, value);
        if (flag) c.outdoor_ = *flag != 0;
        return allowed;
    }

    static const std::array<Key, 12> kKeys;
};

const std::array<GeneralKeyTable::Key, 12> GeneralKeyTable::kKeys{{
    {"mode",
     [](GeneralChanges& c, std::string_view v, const CliText&) { return Named(c.opMode_, kOperationModeValues, v); }},
    {"role",
     [](GeneralChanges& c, std::string_view v, const CliText&) { return Named(c.netRole_, kNetworkRoleValues, v); }},
    {"panid", [](GeneralChanges& c, std::string_view v, const CliText& t) { return PanId(c.panId_, v, t); }},
    {"upanid", [](GeneralChanges& c, std::string_view v, const CliText& t) { return PanId(c.userPanId_, v, t); }},
    {"outdoor", Outdoor},
    {"channel", Channel},
    {"baud",
     [](GeneralChanges& c, std::string_view v, const CliText&) { return Named(c.baudRate_, kBaudRateValues, v); }},
    {"parity",
     [](GeneralChanges& c, std::string_view v, const CliText&) { return Named(c.parity_, kDeviceParityValues, v); }},
    {"stop-bits",
     [](GeneralChanges& c, std::string_view v, const CliText&) { return Named(c.stopBits_, kDeviceStopBitValues, v); }},
    {"data-bits",
     [](GeneralChanges& c, std::string_view v, const CliText&) { return Named(c.dataBits_, kDataBitValues, v); }},
    {"quiet",
     [](GeneralChanges& c, std::string_view v, const CliText&) { return Named(c.quietMode_, kSwitchValues, v); }},
    {"rx-pullup",
     [](GeneralChanges& c, std::string_view v, const CliText&) { return Named(c.rxPullUp_, kSwitchValues, v); }},
}};

const GeneralKeyTable::Key* GeneralKeyTable::Find(std::string_view name) {
    for (const auto& key : kKeys) {
        if (key.name == name) return &key;
    }
    return nullptr;
}

std::string GeneralKeyTable::Names(std::uint32_t modelKind) {
    std::string names;
    for (const SettingRow& row : SettingRows()) {
        if (row.page != Page::General || !ModelHas(modelKind, row.setting)) continue;
        names += (names.empty() ? "" : ", ") + std::string(row.key);
    }
    return names;
}

namespace {

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
        const GeneralKeyTable::Key* key = equals == std::string::npos ? nullptr : GeneralKeyTable::Find(name);
        if (!key) {
            error = text.Text(ToolText::SetNotKeyValue, {word, GeneralKeyTable::Names(ModelQ470R) + ", upanid"});
            return std::nullopt;
        }
        for (auto other : seen) {
            if (other == key->name) {
                error = text.Text(ToolText::SetKeyTwice, {key->name});
                return std::nullopt;
            }
        }
        seen.push_back(key->name);
        const std::string allowed = key->take(changes, std::string_view(word).substr(equals + 1), text);
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
        return text.Text(ToolText::SetKeyNotForModel,
                         {key, text.Text(why), ModelName(modelKind), GeneralKeyTable::Names(modelKind)});
    };
    if (q470r && userPanId_) return refuse("upanid", ToolText::SetWhyQ470RHasPanId);
    if (q470r) return {};
    if (panId_) return refuse("panid", ToolText::SetWhyKeldanHasUserPanId);
    if (netRole_) return refuse("role", ToolText::SetWhyNoRole);
    if (outdoor_) return refuse("outdoor", ToolText::SetWhyNoPhyId);
    if (channel_) return refuse("channel", ToolText::SetWhyNoChannel);
    if (rxPullUp_) return refuse("rx-pullup", ToolText::SetWhyNoRxPullUp);
    return {};
}

std::string GeneralChanges::ApplyTo(GeneralSettings& record, const CliText& text) const {
    const bool q470r = record.modelKind == ModelQ470R;
    std::uint16_t& pageId = q470r ? record.panId : record.userPanId;
    const auto& change = q470r ? panId_ : userPanId_;
    if (change) pageId = *change;
    if (!IsValidPanIdValue(pageId)) {
        return text.Text(q470r ? ToolText::SetDevicePanIdOutside : ToolText::SetDeviceUserPanIdOutside,
                         {std::to_string(pageId), text.Text(UiText::InvalidPanId), std::to_string(kFirstPanId),
                          std::to_string(kLastPanId)});
    }

    // Unless the outdoor flag changes, the radio stays as the device holds it: its plan's PHY ID, its
    // channel. A changed flag brings the plan of the PHY ID written.
    const bool deviceOutdoor = IsOutdoorPhyId(record.phyId);
    const bool outdoor = outdoor_.value_or(deviceOutdoor);
    const std::uint8_t phyId = outdoor == deviceOutdoor ? PhyIdToApply(record.phyId) : PhyIdForOutdoor(outdoor);
    const std::uint8_t channel = channel_.value_or(record.rfChannel);
    const auto allowed = AllowedChannels(phyId, RadioPlan{record.phyId, record.rfChannel});
    if (!IsInRanges(channel, allowed)) {
        return text.Text(channel_ ? ToolText::SetChannelNotInPlan : ToolText::SetDeviceChannelNotInPlan,
                         {std::to_string(channel), std::to_string(phyId), ChannelList(allowed, text)});
    }
    if (rxPullUp_ && !RecordHasRxPullUp(record)) {
        const bool missing = FirmwareHasRxPullUp(record.firmwareVersion);
        return text.Text(missing ? ToolText::SetRxPullUpMissing : ToolText::SetNoRxPullUp, {record.firmwareVersion});
    }
    record.phyId = phyId;
    record.rfChannel = channel;
    record.netRole = netRole_.value_or(record.netRole == 1 ? 1 : 2);
    record.opMode = opMode_.value_or(OperationMode(IsAtCommandMode(record.opMode), IsOneToNMode(record.opMode)));
    record.quietMode = quietMode_.value_or(record.quietMode != 0 ? 1 : 0);
    record.baudRate = baudRate_.value_or(record.baudRate);
    record.parity = parity_.value_or(record.parity);
    record.stopBits = stopBits_.value_or(record.stopBits);
    record.dataBits = dataBits_.value_or(record.dataBits);
    record.rxPullUp = rxPullUp_.value_or(record.rxPullUp != 0 ? 1 : 0);
    return {};
}

}  // namespace q470
