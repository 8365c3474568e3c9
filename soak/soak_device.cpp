#include "soak_device.h"

#include <cstdint>
#include <iterator>
#include <utility>

namespace q470::soak {
namespace {

constexpr double kHangUpAfterChance = 0.3;
constexpr std::uint32_t kHangUpAfterMost = 150;
constexpr double kIntensities[] = {0.1, 0.3, 1.0, 2.0};

}  // namespace

SoakDevice::~SoakDevice() {
    Stop();
}

bool SoakDevice::Start(sim::ModemSettings settings, FaultChooser& random, std::string& error,
                       const std::string& portLink) {
    Stop();
    modem_ = std::make_unique<sim::SimulatedModem>(std::move(settings));
    if (!portLink.empty()) modem_->SetLinks({}, portLink);
    if (!modem_->Start(&error)) {
        modem_.reset();
        return false;
    }
    random.SetIntensity(kIntensities[random.Below(std::size(kIntensities))]);
    ledger_ = std::make_unique<DeviceLedger>(*modem_, random);
    ledger_->Attach(random.Chance(kHangUpAfterChance) ? 1 + random.Below(kHangUpAfterMost) : 0);
    return true;
}

// The device's serving thread calls into the ledger until the device stops.
void SoakDevice::Stop() {
    if (modem_) modem_->Stop();
    ledger_.reset();
    modem_.reset();
}

}  // namespace q470::soak
