#include "random_inputs.h"

#include "command_id.h"
#include "settings_rules.h"

namespace q470::soak {
namespace {

constexpr std::uint32_t kBaudRates[] = {2400, 9600, 19200, 38400, 115200, 230400, 1200};
constexpr const char* kFirmware[] = {"1.5.0", "1.5.0", "1.4.0", "1.4.9", "2.0.0", "1.5", "V1.5.0", "1.6.2.1"};
constexpr sim::ModemModel kModels[] = {sim::ModemModel::Q470R, sim::ModemModel::Q470R, sim::ModemModel::KS410,
                                       sim::ModemModel::KS400};
constexpr const char* kOddModelNames[] = {"Q470r", "KELDAN-KS41", "Q470R ", "X"};
constexpr std::uint8_t kPhyIds[] = {2, 5, 8, 12, 13, 1};
constexpr std::int32_t kItemCommands[] = {CmdOpModeSet,     CmdNetRoleSet, CmdRfChannelSet,  CmdPanIdSet,
                                          CmdUartSet,       CmdUartSet,    CmdGpioConfigSet, CmdGpioPeriodicSet,
                                          CmdQuietModeSet,  CmdPhyIdSet,   CmdUserPanIdSet,  CmdUserPanIdSet,
                                          CmdGpioConfigSet, CmdOpModeSet};
constexpr std::size_t kMaxItems = 12;

}  // namespace

sim::ModemSettings RandomInputs::Device() {
    sim::ModemSettings settings = sim::FactorySettings(Pick(kModels), Pick(kFirmware));
    if (random_.Chance(0.03)) settings.modelName = Pick(kOddModelNames);
    settings.quietMode = random_.Chance(0.15);
    settings.extendedAddress = (std::uint64_t{random_.Below(0xFFFFFFFFu)} << 32) | random_.Below(0xFFFFFFFFu);
    settings.linkActive = random_.Chance(0.5);
    settings.panId = static_cast<std::uint16_t>(1 + random_.Below(65533));
    settings.userPanId = static_cast<std::uint16_t>(1 + random_.Below(65533));
    settings.rxPullUp = random_.Chance(0.5);
    return settings;
}

std::uint16_t RandomInputs::PanId() {
    if (random_.Chance(0.03)) return random_.Chance(0.5) ? 0 : 0xFFFF;
    return static_cast<std::uint16_t>(1 + random_.Below(65533));
}

std::uint8_t RandomInputs::Quiet() {
    return random_.Chance(0.15) ? 1 : 0;
}

GeneralSettings RandomInputs::General() {
    GeneralSettings record;
    record.opMode = static_cast<std::uint8_t>(random_.Chance(0.03) ? 5 : 1 + random_.Below(4));
    record.netRole = static_cast<std::uint8_t>(1 + random_.Below(random_.Chance(0.03) ? 3 : 2));
    record.phyId = Pick(kPhyIds);
    record.rfChannel = static_cast<std::uint8_t>(random_.Below(random_.Chance(0.03) ? 256 : 129));
    record.panId = PanId();
    record.userPanId = PanId();
    record.baudRate = Pick(kBaudRates);
    record.parity = static_cast<std::uint8_t>(random_.Below(3));
    record.stopBits = static_cast<std::uint8_t>(random_.Below(2));
    record.dataBits = static_cast<std::uint8_t>(7 + random_.Below(2));
    record.quietMode = Quiet();
    record.rxPullUp = static_cast<std::uint8_t>(random_.Below(2));
    return record;
}

// Mostly what the GPIO page offers for the pin; now and then a mode or value the device refuses.
GpioEntry RandomInputs::Pin(std::uint8_t pin) {
    if (random_.Chance(0.02)) {
        return GpioEntry{pin, static_cast<std::uint8_t>(random_.Below(4)), static_cast<std::uint8_t>(random_.Below(4))};
    }
    const auto mode = static_cast<std::uint8_t>(random_.Below(HasAlternateFunction(pin) ? 3 : 2));
    return GpioEntry{pin, mode, static_cast<std::uint8_t>(random_.Below(GpioValueCount(pin, mode)))};
}

GpioSettings RandomInputs::Gpio() {
    GpioSettings record;
    for (std::uint8_t pin = 0; pin < record.pins.size(); ++pin) record.pins[pin] = Pin(pin);
    record.reportInterval = random_.Chance(0.5) ? 0 : static_cast<std::int32_t>(1000 + random_.Below(600000));
    record.sendToPeer = static_cast<std::uint8_t>(random_.Below(2));
    return record;
}

SettingItem RandomInputs::Item() {
    switch (const std::int32_t command = Pick(kItemCommands)) {
        case CmdUartSet:
            return UartItem(Pick(kBaudRates), static_cast<std::uint8_t>(random_.Below(3)),
                            static_cast<std::uint8_t>(random_.Below(2)),
                            static_cast<std::uint8_t>(7 + random_.Below(2)));
        case CmdPanIdSet:
            return PanIdItem(PanId());
        case CmdUserPanIdSet:
            return UserPanIdItem(PanId());
        case CmdNetRoleSet:
            return NetRoleItem(static_cast<std::uint8_t>(1 + random_.Below(2)));
        case CmdRfChannelSet:
            return RfChannelItem(static_cast<std::uint8_t>(random_.Below(129)));
        case CmdOpModeSet:
            return OpModeItem(static_cast<std::uint8_t>(1 + random_.Below(4)));
        case CmdGpioConfigSet: {
            const GpioEntry entry = Pin(static_cast<std::uint8_t>(random_.Below(kGpioPinCount)));
            return GpioConfigItem(entry.pin, entry.ioMode, entry.pinConfig);
        }
        case CmdGpioPeriodicSet:
            return GpioPeriodicItem(random_.Chance(0.5) ? 0 : 1000 + random_.Below(100000), random_.Chance(0.5));
        case CmdQuietModeSet:
            return QuietModeItem(Quiet() == 1);
        default: {
            SettingItem other;  // a command the file jobs skip
            other.command = command;
            return other;
        }
    }
}

SettingItemList RandomInputs::Items() {
    SettingItemList items;
    for (std::uint32_t count = random_.Below(kMaxItems + 1); count > 0; --count) items.push_back(Item());
    return items;
}

}  // namespace q470::soak
