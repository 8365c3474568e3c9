#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fake_ui_services.h"
#include "keldan_q470r_configurator_dlg.h"
#include "simulated_modem.h"
#include "temporary_profile.h"

namespace q470 {

using namespace std::chrono_literals;

// Only a hang gets near it.
constexpr int kHangGuardMs = 10000;

// The real main window on a temporary profile, with its modal windows answered by fake UI services,
// talking to a simulated modem over a real pseudo-terminal. The modem's port is listed among the
// serial ports and offered in the connection dialog, as the demo device's is. Finding the device again
// after a restart is off (the option's profile is the rig's own).
class WindowRig {
public:
    // `beforeStart` sets the modem up before it serves (links, re-enumeration); with `portName` the window
    // opens the modem by that name (a link to its port) instead of its pseudo-terminal's.
    explicit WindowRig(sim::ModemSettings settings = {},
                       const std::function<void(sim::SimulatedModem&)>& beforeStart = {},
                       const std::string& portName = {});
    ~WindowRig();
    WindowRig(const WindowRig&) = delete;
    WindowRig& operator=(const WindowRig&) = delete;

    // Shows the window; the connection dialog opens at once and is answered with `dialogResults`
    // (OK when empty).
    void Show();
    // Shows the window, connects and waits until the read job's result is shown; false on a hang.
    bool Connect();
    // Port open, no job running, identity shown.
    bool IsReady() const;
    bool WaitUntilReady();
    bool WaitForMessages(std::size_t count);
    bool WaitUntilDisconnected();
    // The commands the modem received since the last call, after waiting for at least `atLeast` of them.
    std::vector<std::string> TakeCommands(std::size_t atLeast = 0);

    QString TextOf(const char* objectName) const;
    bool IsEnabled(const char* objectName) const;

    TemporaryProfile profile;
    FakeUiServices ui;
    sim::SimulatedModem modem;
    std::unique_ptr<CKeldanQ470RConfiguratorDlg> window;

private:
    std::size_t commandsTaken_ = 0;
    std::string portName_;
};

// The three models as the simulated device leaves the factory.
sim::ModemSettings ModemOf(sim::ModemModel model, const std::string& firmware = "1.5.0");

}  // namespace q470
