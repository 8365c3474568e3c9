#include "soak_run.h"

#include <algorithm>

#include "response_parser.h"

namespace q470::soak {
namespace {

constexpr std::chrono::seconds kWatchdogLimit{60};

}  // namespace

SoakRun::SoakRun(const SoakOptions& options, const char* name)
    : options_(options),
      random_(options.seed),
      report_(name, options.seed),
      memory_(options.length),
      watchdog_(kWatchdogLimit, options.seed) {}

void SoakRun::StartDevice() {
    Beat("starting a device");
    std::string error;
    if (!device_.Start(inputs_.Device(), random_, error, PortLink())) {
        report_.Fail("cannot start a simulated device: " + error);
        return;
    }
    ++report_.devices;
    DeviceStarted();
}

int SoakRun::Verdict(std::chrono::steady_clock::time_point start) {
    if (const std::string growth = memory_.Check(); !growth.empty()) report_.Fail(growth);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    report_.Print(random_, memory_, seconds.count());
    return report_.Failed() ? 1 : 0;
}

// The highest of the run: a soak may use a new link for each connection.
void SoakRun::CheckBuffers(Q470Comm& link) {
    report_.maxReceiveBuffer = std::max(report_.maxReceiveBuffer, link.ReceiveHighWater());
    report_.maxFrameBuffer = std::max(report_.maxFrameBuffer, link.FrameHighWater());
    if (report_.maxReceiveBuffer > Q470Comm::kReceiveCap) {
        report_.Fail("the receive buffer held " + std::to_string(report_.maxReceiveBuffer) + " bytes");
    }
    if (report_.maxFrameBuffer > Q470Comm::kReceiveCap + kMaxFrameLength) {
        report_.Fail("the frame buffer held " + std::to_string(report_.maxFrameBuffer) + " bytes");
    }
}

void SoakRun::Beat(const std::string& what) {
    watchdog_.Beat(what + " on device " + std::to_string(report_.devices));
}

}  // namespace q470::soak
