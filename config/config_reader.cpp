#include "config_reader.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "config_keys.h"

namespace q470 {

namespace {

namespace key = config_key16;

template <std::size_t N>
constexpr std::u16string_view KeyView(const std::array<char16_t, N>& key) {
    return {key.data(), N - 1};
}

constexpr std::u16string_view kKnownModels[] = {KeyView(key::kModelQ470R), KeyView(key::kModelKs410)};

// A name that occurs twice counts by its first member only.
const ConfigValue* FindFirst(const ConfigValue& object, const char16_t* name) {
    const auto member = object.FindMember(name);
    return member == object.MemberEnd() ? nullptr : &member->value;
}

// A member of another type is skipped, never read as an object.
const ConfigValue* FindObject(const ConfigValue& object, const char16_t* name) {
    const ConfigValue* value = FindFirst(object, name);
    return value != nullptr && value->IsObject() ? value : nullptr;
}

// "An integer in the signed 32-bit range": a number written without fraction or exponent (12.0 is kept
// as a double and does not qualify) between -2147483648 and 2147483647. Yields its two's-complement bits.
std::optional<std::uint32_t> Int32Bits(const ConfigValue* value) {
    if (value == nullptr || !value->IsInt()) return std::nullopt;
    return static_cast<std::uint32_t>(value->GetInt());
}

// Members of the nested objects only need to be integers; their low bits are taken. Integers beyond the
// 64-bit range reach the document as doubles and, like fractions and exponents, do not qualify.
std::optional<std::uint64_t> IntegerBits(const ConfigValue* value) {
    if (value == nullptr) return std::nullopt;
    if (value->IsUint64()) return value->GetUint64();
    if (value->IsInt64()) return static_cast<std::uint64_t>(value->GetInt64());
    return std::nullopt;
}

std::optional<bool> BoolValue(const ConfigValue* value) {
    if (value == nullptr || !value->IsBool()) return std::nullopt;
    return value->GetBool();
}

struct Int32Member {
    const char16_t* name;
    SettingItem (*make)(std::uint32_t bits);
};

constexpr Int32Member kOpMode{key::kOpMode.data(),
                              [](std::uint32_t bits) { return OpModeItem(static_cast<std::uint8_t>(bits)); }};
constexpr Int32Member kPanId{key::kPanId.data(),
                             [](std::uint32_t bits) { return PanIdItem(static_cast<std::uint16_t>(bits)); }};
constexpr Int32Member kNetRole{key::kNetRole.data(),
                               [](std::uint32_t bits) { return NetRoleItem(static_cast<std::uint8_t>(bits)); }};
constexpr Int32Member kRfChannel{key::kRfChannel.data(),
                                 [](std::uint32_t bits) { return RfChannelItem(static_cast<std::uint8_t>(bits)); }};
constexpr Int32Member kUserPanId{key::kUserPanId.data(),
                                 [](std::uint32_t bits) { return UserPanIdItem(static_cast<std::uint16_t>(bits)); }};

int CheckModelName(const ConfigValue& root) {
    const ConfigValue* model = FindFirst(root, key::kModelName.data());
    if (model == nullptr) return kReadOk;
    if (!model->IsString()) return kReadModelNotString;
    const std::u16string_view name(model->GetString(), model->GetStringLength());
    for (const std::u16string_view known : kKnownModels) {
        if (name == known) return kReadOk;
    }
    return kReadUnknownModel;
}

void AppendInt32(const ConfigValue& general, const Int32Member& member, SettingItemList& items) {
    if (const auto bits = Int32Bits(FindFirst(general, member.name))) items.push_back(member.make(*bits));
}

void AppendQuietMode(const ConfigValue& general, SettingItemList& items) {
    if (const auto quiet = BoolValue(FindFirst(general, key::kQuietMode.data())))
        items.push_back(QuietModeItem(*quiet));
}

void AppendUart(const ConfigValue& general, SettingItemList& items) {
    const ConfigValue* uart = FindObject(general, key::kUart.data());
    if (uart == nullptr) return;
    const auto baudRate = IntegerBits(FindFirst(*uart, key::kBaudrate.data()));
    const auto parity = IntegerBits(FindFirst(*uart, key::kParity.data()));
    const auto stopBits = IntegerBits(FindFirst(*uart, key::kStopbit.data()));
    const auto dataBits = IntegerBits(FindFirst(*uart, key::kDatabit.data()));
    if (!baudRate || !parity || !stopBits || !dataBits) return;
    items.push_back(UartItem(static_cast<std::uint32_t>(*baudRate), static_cast<std::uint8_t>(*parity),
                             static_cast<std::uint8_t>(*stopBits), static_cast<std::uint8_t>(*dataBits)));
}

void ReadGeneral(const ConfigValue& general, SettingItemList& items) {
    for (const Int32Member& member : {kOpMode, kPanId, kNetRole, kRfChannel}) AppendInt32(general, member, items);
    AppendQuietMode(general, items);
    AppendUart(general, items);
    AppendInt32(general, kUserPanId, items);
}

void AppendPin(const ConfigValue& entry, SettingItemList& items) {
    if (!entry.IsObject()) return;
    const auto pin = IntegerBits(FindFirst(entry, key::kNum.data()));
    const auto ioMode = IntegerBits(FindFirst(entry, key::kIoMode.data()));
    const auto pinConfig = IntegerBits(FindFirst(entry, key::kConfig.data()));
    if (!pin || !ioMode || !pinConfig) return;
    items.push_back(GpioConfigItem(static_cast<std::uint8_t>(*pin), static_cast<std::uint8_t>(*ioMode),
                                   static_cast<std::uint8_t>(*pinConfig)));
}

void AppendPeriodicReport(const ConfigValue& gpios, SettingItemList& items) {
    const ConfigValue* report = FindObject(gpios, key::kPeriodicReport.data());
    if (report == nullptr) return;
    const auto interval = IntegerBits(FindFirst(*report, key::kReportInterval.data()));
    const auto sendRemote = BoolValue(FindFirst(*report, key::kSendRemote.data()));
    if (!interval || !sendRemote) return;
    items.push_back(GpioPeriodicItem(static_cast<std::uint32_t>(*interval), *sendRemote));
}

void ReadGpios(const ConfigValue& gpios, SettingItemList& items) {
    const ConfigValue* configs = FindFirst(gpios, key::kConfigs.data());
    if (configs != nullptr && configs->IsArray()) {
        for (const ConfigValue& entry : configs->GetArray()) AppendPin(entry, items);
    }
    AppendPeriodicReport(gpios, items);
}

}  // namespace

int ReadSettingItems(const ConfigDocument& document, SettingItemList& items) {
    if (!document.IsObject()) return kReadRootNotObject;
    items.clear();
    if (const int model = CheckModelName(document); model != kReadOk) return model;
    if (const ConfigValue* general = FindObject(document, key::kGeneral.data())) ReadGeneral(*general, items);
    if (const ConfigValue* gpios = FindObject(document, key::kGpios.data())) ReadGpios(*gpios, items);
    return kReadOk;
}

}  // namespace q470
