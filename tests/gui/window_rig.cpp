#include "window_rig.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <stdexcept>

#include "com_config_dlg.h"
#include "enumerate_serial_ports.h"
#include "main_window_bars.h"
#include "narrow_text.h"

namespace q470 {

WindowRig::WindowRig(sim::ModemSettings settings, const std::function<void(sim::SimulatedModem&)>& beforeStart,
                     const std::string& portName)
    : modem(std::move(settings)) {
    if (beforeStart) beforeStart(modem);
    std::string error;
    if (!modem.Start(&error)) throw std::runtime_error("simulated modem: " + error);
    portName_ = portName.empty() ? modem.PortPath() : portName;
    RegisterRuntimePort(portName_);
    // Accepts what the dialog offers, as a user pressing Enter would.
    ui.dialogDriver = [this](ComConfigDlg& dialog) {
        const bool ok = ui.dialogResults.empty() || ui.dialogResults.front();
        if (!ui.dialogResults.empty()) ui.dialogResults.pop_front();
        if (!ok) return false;
        dialog.show();
        dialog.accept();
        return true;
    };
    window = std::make_unique<CKeldanQ470RConfiguratorDlg>(QString::fromStdU16String(NarrowToWide(portName_)));
    // Most tests follow a restart to the connection dialog; those of finding the device again turn it on.
    window->Bars().FindDeviceAgainAction().setChecked(false);
}

WindowRig::~WindowRig() {
    window.reset();
    UnregisterRuntimePort(portName_);
}

void WindowRig::Show() {
    window->show();
    QCoreApplication::processEvents();
}

bool WindowRig::Connect() {
    Show();
    return WaitUntilReady();
}

bool WindowRig::IsReady() const {
    return window->IsPortOpen() && !window->IsBusy() && !TextOf("statusInfoLabel").isEmpty();
}

bool WindowRig::WaitUntilReady() {
    return QTest::qWaitFor([this] { return IsReady(); }, kHangGuardMs);
}

bool WindowRig::WaitForMessages(std::size_t count) {
    return QTest::qWaitFor([this, count] { return ui.Messages().size() >= count; }, kHangGuardMs);
}

bool WindowRig::WaitUntilDisconnected() {
    return QTest::qWaitFor([this] { return !window->IsPortOpen() && !window->IsWorkerRunning(); }, kHangGuardMs);
}

std::vector<std::string> WindowRig::TakeCommands(std::size_t atLeast) {
    modem.WaitForCommands(commandsTaken_ + atLeast, std::chrono::milliseconds(kHangGuardMs));
    const std::vector<std::string> all = modem.Commands();
    std::vector<std::string> taken(all.begin() + static_cast<std::ptrdiff_t>(std::min(commandsTaken_, all.size())),
                                   all.end());
    commandsTaken_ = all.size();
    return taken;
}

QString WindowRig::TextOf(const char* objectName) const {
    const QString name = QString::fromLatin1(objectName);
    if (const auto* edit = window->findChild<QLineEdit*>(name)) return edit->text();
    if (const auto* label = window->findChild<QLabel*>(name)) return label->text();
    throw std::runtime_error(std::string("no text field ") + objectName);
}

bool WindowRig::IsEnabled(const char* objectName) const {
    const QString name = QString::fromLatin1(objectName);
    if (const auto* action = window->findChild<QAction*>(name)) return action->isEnabled();
    if (const auto* widget = window->findChild<QWidget*>(name)) return widget->isEnabled();
    throw std::runtime_error(std::string("no control ") + objectName);
}

sim::ModemSettings ModemOf(sim::ModemModel model, const std::string& firmware) {
    return sim::FactorySettings(model, firmware);
}

}  // namespace q470
