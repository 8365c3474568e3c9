#include "config_reader.h"

#include <array>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>

#include "config_keys.h"
#include "json_value_text.h"

namespace q470 {

namespace {

namespace key = config_key;
namespace key16 = config_key16;

constexpr std::uint64_t kMax8 = UINT8_MAX;
constexpr std::uint64_t kMax16 = UINT16_MAX;
constexpr std::uint64_t kMax32 = UINT32_MAX;
constexpr std::uint8_t kUnknownContext = UINT8_MAX;  // a pin or mode that could not be read

template <std::size_t N>
constexpr std::u16string_view KeyView(const std::array<char16_t, N>& name) {
    return {name.data(), N - 1};
}

constexpr std::u16string_view kKnownModels[] = {KeyView(key16::kModelQ470R), KeyView(key16::kModelKs410)};

// A member name in both forms: the narrow one for paths in messages, the wide one for the lookup.
struct Name {
    const char* text;
    const char16_t* wide;
};

constexpr Name kModelName{key::kModelName, key16::kModelName.data()};
constexpr Name kGeneral{key::kGeneral, key16::kGeneral.data()};
constexpr Name kGpios{key::kGpios, key16::kGpios.data()};
constexpr Name kOpMode{key::kOpMode, key16::kOpMode.data()};
constexpr Name kNetRole{key::kNetRole, key16::kNetRole.data()};
constexpr Name kPanId{key::kPanId, key16::kPanId.data()};
constexpr Name kRfChannel{key::kRfChannel, key16::kRfChannel.data()};
constexpr Name kQuietMode{key::kQuietMode, key16::kQuietMode.data()};
constexpr Name kUserPanId{key::kUserPanId, key16::kUserPanId.data()};
constexpr Name kUart{key::kUart, key16::kUart.data()};
constexpr Name kBaudrate{key::kBaudrate, key16::kBaudrate.data()};
constexpr Name kParity{key::kParity, key16::kParity.data()};
constexpr Name kStopbit{key::kStopbit, key16::kStopbit.data()};
constexpr Name kDatabit{key::kDatabit, key16::kDatabit.data()};
constexpr Name kConfigs{key::kConfigs, key16::kConfigs.data()};
constexpr Name kNum{key::kNum, key16::kNum.data()};
constexpr Name kIoMode{key::kIoMode, key16::kIoMode.data()};
constexpr Name kConfig{key::kConfig, key16::kConfig.data()};
constexpr Name kPeriodicReport{key::kPeriodicReport, key16::kPeriodicReport.data()};
constexpr Name kReportInterval{key::kReportInterval, key16::kReportInterval.data()};
constexpr Name kSendRemote{key::kSendRemote, key16::kSendRemote.data()};

// The members each object of the file form has.
constexpr Name kRootMembers[] = {kModelName, kGeneral, kGpios};
constexpr Name kGeneralMembers[] = {kOpMode, kNetRole, kPanId, kRfChannel, kQuietMode, kUart, kUserPanId};
constexpr Name kUartMembers[] = {kBaudrate, kParity, kStopbit, kDatabit};
constexpr Name kGpiosMembers[] = {kConfigs, kPeriodicReport};
constexpr Name kPinMembers[] = {kNum, kIoMode, kConfig};
constexpr Name kPeriodicMembers[] = {kReportInterval, kSendRemote};

std::string Join(const std::string& path, const std::string& name) {
    return path.empty() ? name : path + "/" + name;
}

// Letters only, in lower case: "PanID", "pan_id" and "PAN ID" are one name.
std::string Folded(std::u16string_view name) {
    std::string folded;
    for (const char16_t c : name) {
        if (c < 0x80 && std::isalnum(static_cast<unsigned char>(c))) {
            folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (c >= 0x80) {
            return {};  // not a slip of the keyboard on an ASCII name
        }
    }
    return folded;
}

std::string FoldedAscii(const char* name) {
    std::u16string wide;
    for (const char* p = name; *p != '\0'; ++p) wide += static_cast<char16_t>(*p);
    return Folded(wide);
}

// The first member of that exact name (code-unit comparison, case-sensitive); later ones do not count.
const ConfigValue* FindFirst(const ConfigValue& object, const Name& name) {
    const auto member = object.FindMember(name.wide);
    return member == object.MemberEnd() ? nullptr : &member->value;
}

class ItemReader {
public:
    ItemReader(SettingItemList& items, ConfigReadReport& report) : items_(items), report_(report) {}

    void Read(const ConfigValue& root) {
        Scan(root, {}, kRootMembers);
        if (const ConfigValue* general = Object(root, {}, kGeneral)) ReadGeneral(*general, kGeneral.text);
        if (const ConfigValue* gpios = Object(root, {}, kGpios)) ReadGpios(*gpios, kGpios.text);
    }

private:
    template <std::size_t N>
    void Scan(const ConfigValue& object, const std::string& path, const Name (&known)[N]) {
        std::array<bool, N> seen{};
        for (auto member = object.MemberBegin(); member != object.MemberEnd(); ++member) {
            const std::u16string_view name(member->name.GetString(), member->name.GetStringLength());
            const std::string memberPath = Join(path, Utf8FromUtf16(name));
            std::size_t index = N;
            for (std::size_t i = 0; i < N; ++i) {
                if (name == known[i].wide) index = i;
            }
            if (index == N) {
                Warn(ProblemKind::UnknownMember, memberPath, member->value).suggestion = Resembling(name, known);
            } else if (seen[index]) {
                Warn(ProblemKind::Duplicate, memberPath, member->value);
            } else {
                seen[index] = true;
            }
        }
    }

    template <std::size_t N>
    static std::string Resembling(std::u16string_view name, const Name (&known)[N]) {
        const std::string folded = Folded(name);
        if (folded.empty()) return {};
        for (const Name& candidate : known) {
            if (FoldedAscii(candidate.text) == folded) return candidate.text;
        }
        return {};
    }

    SettingProblem& Warn(ProblemKind kind, const std::string& path, const ConfigValue& value) {
        SettingProblem problem;
        problem.kind = kind;
        problem.member = path;
        problem.value = JsonValueText(value);
        report_.problems.push_back(std::move(problem));
        return report_.problems.back();
    }

    void WrongType(const std::string& path, const ConfigValue& value, JsonType expected, Setting field) {
        SettingProblem& problem = Warn(ProblemKind::WrongType, path, value);
        problem.expected = expected;
        problem.field = field;
    }

    // A member that must be an object; another type is named and never read as one.
    const ConfigValue* Object(const ConfigValue& parent, const std::string& parentPath, const Name& name) {
        const ConfigValue* value = FindFirst(parent, name);
        if (value == nullptr) return nullptr;
        if (value->IsObject()) return value;
        WrongType(Join(parentPath, name.text), *value, JsonType::Object, Setting::OpMode);
        return nullptr;
    }

    // The result of reading one number: absent, wrong or refused members give nothing.
    struct Number {
        bool present = false;
        std::optional<std::uint64_t> value;
    };

    // A whole number from 0 to `max`; a number that does not fit (negative, wider, or written with a
    // fraction or exponent) is refused rather than cut, another type is named.
    Number Integer(const ConfigValue& object, const std::string& path, const Name& name, Setting field,
                   std::uint64_t max, std::uint8_t pin = kUnknownContext, std::uint8_t ioMode = kUnknownContext) {
        const ConfigValue* value = FindFirst(object, name);
        if (value == nullptr) return {};
        const std::string memberPath = Join(path, name.text);
        if (!value->IsNumber()) {
            WrongType(memberPath, *value, JsonType::Integer, field);
            return {true, std::nullopt};
        }
        if (value->IsUint64() && value->GetUint64() <= max) return {true, value->GetUint64()};
        SettingProblem& problem = Warn(ProblemKind::NotAllowed, memberPath, *value);
        problem.field = field;
        problem.pin = pin;
        problem.ioMode = ioMode;
        return {true, std::nullopt};
    }

    std::optional<bool> Boolean(const ConfigValue& object, const std::string& path, const Name& name,
                                Setting field) {
        const ConfigValue* value = FindFirst(object, name);
        if (value == nullptr) return std::nullopt;
        if (value->IsBool()) return value->GetBool();
        WrongType(Join(path, name.text), *value, JsonType::Boolean, field);
        return std::nullopt;
    }

    // An object whose members make one item: the missing ones are named once for the object.
    void Incomplete(const ConfigValue& object, const std::string& path, std::initializer_list<Name> needed) {
        std::vector<std::string> missing;
        for (const Name& name : needed) {
            if (FindFirst(object, name) == nullptr) missing.push_back(name.text);
        }
        if (missing.empty()) return;
        Warn(ProblemKind::Incomplete, path, object).missing = std::move(missing);
    }

    void Add(SettingItem item, std::string member) {
        items_.push_back(item);
        report_.itemMembers.push_back(std::move(member));
    }

    template <typename Make>
    void ReadNumber(const ConfigValue& general, const std::string& path, const Name& name, Setting field,
                    std::uint64_t max, Make make) {
        if (const auto number = Integer(general, path, name, field, max).value) {
            Add(make(*number), Join(path, name.text));
        }
    }

    void ReadGeneral(const ConfigValue& general, const std::string& path) {
        Scan(general, path, kGeneralMembers);
        ReadNumber(general, path, kOpMode, Setting::OpMode, kMax8,
                   [](std::uint64_t v) { return OpModeItem(static_cast<std::uint8_t>(v)); });
        ReadNumber(general, path, kPanId, Setting::PanId, kMax16,
                   [](std::uint64_t v) { return PanIdItem(static_cast<std::uint16_t>(v)); });
        ReadNumber(general, path, kNetRole, Setting::NetRole, kMax8,
                   [](std::uint64_t v) { return NetRoleItem(static_cast<std::uint8_t>(v)); });
        ReadNumber(general, path, kRfChannel, Setting::RfChannel, kMax8,
                   [](std::uint64_t v) { return RfChannelItem(static_cast<std::uint8_t>(v)); });
        if (const auto quiet = Boolean(general, path, kQuietMode, Setting::QuietMode)) {
            Add(QuietModeItem(*quiet), Join(path, kQuietMode.text));
        }
        if (const ConfigValue* uart = Object(general, path, kUart)) ReadUart(*uart, Join(path, kUart.text));
        ReadNumber(general, path, kUserPanId, Setting::UserPanId, kMax16,
                   [](std::uint64_t v) { return UserPanIdItem(static_cast<std::uint16_t>(v)); });
    }

    void ReadUart(const ConfigValue& uart, const std::string& path) {
        Scan(uart, path, kUartMembers);
        const Number baudRate = Integer(uart, path, kBaudrate, Setting::BaudRate, kMax32);
        const Number parity = Integer(uart, path, kParity, Setting::Parity, kMax8);
        const Number stopBits = Integer(uart, path, kStopbit, Setting::StopBits, kMax8);
        const Number dataBits = Integer(uart, path, kDatabit, Setting::DataBits, kMax8);
        Incomplete(uart, path, {kBaudrate, kParity, kStopbit, kDatabit});
        if (!baudRate.value || !parity.value || !stopBits.value || !dataBits.value) return;
        Add(UartItem(static_cast<std::uint32_t>(*baudRate.value), static_cast<std::uint8_t>(*parity.value),
                     static_cast<std::uint8_t>(*stopBits.value), static_cast<std::uint8_t>(*dataBits.value)),
            path);
    }

    void ReadGpios(const ConfigValue& gpios, const std::string& path) {
        Scan(gpios, path, kGpiosMembers);
        if (const ConfigValue* configs = FindFirst(gpios, kConfigs)) {
            const std::string configsPath = Join(path, kConfigs.text);
            if (configs->IsArray()) {
                std::size_t index = 0;
                for (const ConfigValue& entry : configs->GetArray()) {
                    ReadPin(entry, configsPath + "[" + std::to_string(index++) + "]");
                }
            } else {
                WrongType(configsPath, *configs, JsonType::Array, Setting::GpioPin);
            }
        }
        if (const ConfigValue* report = Object(gpios, path, kPeriodicReport)) {
            ReadPeriodicReport(*report, Join(path, kPeriodicReport.text));
        }
    }

    void ReadPin(const ConfigValue& entry, const std::string& path) {
        if (!entry.IsObject()) {
            WrongType(path, entry, JsonType::Object, Setting::GpioPin);
            return;
        }
        Scan(entry, path, kPinMembers);
        const Number pin = Integer(entry, path, kNum, Setting::GpioPin, kMax8);
        const std::uint8_t pinContext = pin.value ? static_cast<std::uint8_t>(*pin.value) : kUnknownContext;
        const Number ioMode = Integer(entry, path, kIoMode, Setting::GpioMode, kMax8, pinContext);
        const std::uint8_t modeContext = ioMode.value ? static_cast<std::uint8_t>(*ioMode.value) : kUnknownContext;
        const Number pinConfig = Integer(entry, path, kConfig, Setting::GpioValue, kMax8, pinContext, modeContext);
        Incomplete(entry, path, {kNum, kIoMode, kConfig});
        if (!pin.value || !ioMode.value || !pinConfig.value) return;
        Add(GpioConfigItem(pinContext, modeContext, static_cast<std::uint8_t>(*pinConfig.value)), path);
    }

    void ReadPeriodicReport(const ConfigValue& report, const std::string& path) {
        Scan(report, path, kPeriodicMembers);
        const Number interval = Integer(report, path, kReportInterval, Setting::ReportInterval, kMax32);
        const auto sendRemote = Boolean(report, path, kSendRemote, Setting::SendRemote);
        Incomplete(report, path, {kReportInterval, kSendRemote});
        if (!interval.value || !sendRemote) return;
        Add(GpioPeriodicItem(static_cast<std::uint32_t>(*interval.value), *sendRemote), path);
    }

    SettingItemList& items_;
    ConfigReadReport& report_;
};

int CheckModelName(const ConfigValue& root) {
    const ConfigValue* model = FindFirst(root, kModelName);
    if (model == nullptr) return kReadOk;
    if (!model->IsString()) return kReadModelNotString;
    const std::u16string_view name(model->GetString(), model->GetStringLength());
    for (const std::u16string_view known : kKnownModels) {
        if (name == known) return kReadOk;
    }
    return kReadUnknownModel;
}

}  // namespace

int ReadSettingItems(const ConfigDocument& document, SettingItemList& items, ConfigReadReport* report) {
    ConfigReadReport unused;
    ConfigReadReport& found = report != nullptr ? *report : unused;
    found = {};
    if (!document.IsObject()) return kReadRootNotObject;
    items.clear();
    if (const int model = CheckModelName(document); model != kReadOk) return model;
    ItemReader(items, found).Read(document);
    return kReadOk;
}

}  // namespace q470
