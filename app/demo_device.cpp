#include "demo_device.h"

#include "enumerate_serial_ports.h"
#include "narrow_text.h"

namespace q470 {

DemoDevice::DemoDevice(sim::ModemModel model) : modem_(sim::FactorySettings(model)) {}

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
