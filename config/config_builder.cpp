#include "config_builder.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

#include "config_keys.h"

namespace q470 {

namespace {

namespace key = config_key;

using Allocator = rapidjson::Document::AllocatorType;
using rapidjson::StringRef;
using rapidjson::Value;

// The containers the items are appended to; they join the document once the list has been walked.
struct Containers {
    Value general{rapidjson::kObjectType};
    Value uart{rapidjson::kObjectType};
    Value configs{rapidjson::kArrayType};
    Value periodicReport{rapidjson::kObjectType};
};

using Appender = void (*)(const SettingItem& item, Containers& containers, Allocator& allocator);

struct CommandMembers {
    std::int32_t command;
    Appender append;
};

// Integers are written unsigned: the 8- and 16-bit fields zero-extended.
unsigned Unsigned(std::uint32_t value) {
    return value;
}

void AppendUart(const SettingItem& item, Containers& c, Allocator& a) {
    c.uart.AddMember(StringRef(key::kBaudrate), Unsigned(item.baudRate), a);
    c.uart.AddMember(StringRef(key::kParity), Unsigned(item.parity), a);
    c.uart.AddMember(StringRef(key::kStopbit), Unsigned(item.stopBits), a);
    c.uart.AddMember(StringRef(key::kDatabit), Unsigned(item.dataBits), a);
}

void AppendOpMode(const SettingItem& item, Containers& c, Allocator& a) {
    c.general.AddMember(StringRef(key::kOpMode), Unsigned(item.opMode), a);
}

void AppendQuietMode(const SettingItem& item, Containers& c, Allocator& a) {
    c.general.AddMember(StringRef(key::kQuietMode), item.quietMode, a);
}

void AppendPanId(const SettingItem& item, Containers& c, Allocator& a) {
    c.general.AddMember(StringRef(key::kPanId), Unsigned(item.panId), a);
}

void AppendNetRole(const SettingItem& item, Containers& c, Allocator& a) {
    c.general.AddMember(StringRef(key::kNetRole), Unsigned(item.netRole), a);
}

void AppendRfChannel(const SettingItem& item, Containers& c, Allocator& a) {
    c.general.AddMember(StringRef(key::kRfChannel), Unsigned(item.rfChannel), a);
}

void AppendUserPanId(const SettingItem& item, Containers& c, Allocator& a) {
    c.general.AddMember(StringRef(key::kUserPanId), Unsigned(item.userPanId), a);
}

void AppendPin(const SettingItem& item, Containers& c, Allocator& a) {
    Value pin(rapidjson::kObjectType);
    pin.AddMember(StringRef(key::kNum), Unsigned(item.pin), a);
    pin.AddMember(StringRef(key::kIoMode), Unsigned(item.ioMode), a);
    pin.AddMember(StringRef(key::kConfig), Unsigned(item.pinConfig), a);
    c.configs.PushBack(pin, a);
}

void AppendPeriodicReport(const SettingItem& item, Containers& c, Allocator& a) {
    c.periodicReport.AddMember(StringRef(key::kReportInterval), Unsigned(item.reportInterval), a);
    c.periodicReport.AddMember(StringRef(key::kSendRemote), item.sendRemote, a);
}

constexpr CommandMembers kQ470RMembers[] = {
    {CmdUartSet, AppendUart},           {CmdOpModeSet, AppendOpMode},
    {CmdQuietModeSet, AppendQuietMode}, {CmdPanIdSet, AppendPanId},
    {CmdNetRoleSet, AppendNetRole},     {CmdRfChannelSet, AppendRfChannel},
    {CmdGpioConfigSet, AppendPin},      {CmdGpioPeriodicSet, AppendPeriodicReport},
};

constexpr CommandMembers kKs410Members[] = {
    {CmdUartSet, AppendUart},
    {CmdOpModeSet, AppendOpMode},
    {CmdQuietModeSet, AppendQuietMode},
    {CmdUserPanIdSet, AppendUserPanId},
};

template <std::size_t N>
void AppendItems(const SettingItemList& items, const CommandMembers (&members)[N], Containers& c, Allocator& a) {
    for (const SettingItem& item : items) {
        const auto found = std::find_if(std::begin(members), std::end(members),
                                        [&](const CommandMembers& m) { return m.command == item.command; });
        if (found != std::end(members)) found->append(item, c, a);
    }
}

template <std::size_t N>
Containers StartDocument(const SettingItemList& items, const char* modelName, const CommandMembers (&members)[N],
                         rapidjson::Document& document) {
    Allocator& a = document.GetAllocator();
    document.SetObject();
    document.AddMember(StringRef(key::kModelName), StringRef(modelName), a);
    Containers c;
    AppendItems(items, members, c, a);
    c.general.AddMember(StringRef(key::kUart), c.uart, a);
    return c;
}

}  // namespace

void BuildQ470RDocument(const SettingItemList& items, rapidjson::Document& document) {
    Allocator& a = document.GetAllocator();
    Containers c = StartDocument(items, key::kModelQ470R, kQ470RMembers, document);
    Value gpios(rapidjson::kObjectType);
    gpios.AddMember(StringRef(key::kConfigs), c.configs, a);
    gpios.AddMember(StringRef(key::kPeriodicReport), c.periodicReport, a);
    document.AddMember(StringRef(key::kGeneral), c.general, a);
    document.AddMember(StringRef(key::kGpios), gpios, a);
}

void BuildKS410Document(const SettingItemList& items, rapidjson::Document& document) {
    Containers c = StartDocument(items, key::kModelKs410, kKs410Members, document);
    document.AddMember(StringRef(key::kGeneral), c.general, document.GetAllocator());
}

}  // namespace q470
