#include "demo_device.h"

#include "enumerate_serial_ports.h"
#include "line_settings.h"
#include "narrow_text.h"

namespace q470 {

namespace {

sim::ModemSettings At(sim::ModemModel model, std::uint32_t baudRate, std::uint8_t stopBits) {
    auto settings = sim::FactorySettings(model);
    sim::SetUart(settings, sim::FromPortCodes(baudRate, 8, 0, stopBits));
    return settings;
}

}  // namespace

DemoDevice::DemoDevice(sim::ModemModel model, std::uint32_t baudRate, std::uint8_t stopBits)
    : modem_(At(model, baudRate, stopBits)) {}

DemoDevice::~DemoDevice() {
    if (registered_) UnregisterRuntimePort(modem_.PortPath());
    modem_.Stop();
}

bool DemoDevice::Start(std::string* error) {
    if (!modem_.Start(error)) return false;
    RegisterRuntimePort(modem_.PortPath());
    registered_ = true;
    return true;
}

QString DemoDevice::PortName() const {
    return QString::fromStdU16String(NarrowToWide(modem_.PortPath()));
}

}  // namespace q470
