#include "device_return_flow.h"

#include <QAction>
#include <QPushButton>
#include <algorithm>

#include "device_return.h"
#include "device_state.h"
#include "job_code.h"
#include "keldan_q470r_configurator_dlg.h"
#include "line_choices.h"
#include "main_window_bars.h"
#include "model_kind.h"
#include "narrow_text.h"
#include "off_window_thread.h"
#include "string_table.h"
#include "ui_services.h"
#include "verify_box_text.h"
#include "write_verifier.h"

namespace q470 {
namespace {

bool SameSetting(const SettingCheck& a, const SettingCheck& b) {
    return a.setting == b.setting && (a.setting != Setting::GpioPin || a.pin == b.pin);
}

}  // namespace

DeviceReturnFlow::DeviceReturnFlow(CKeldanQ470RConfiguratorDlg& window) : window_(window) {
    QObject::connect(&window_.Bars().WaitCancelButton(), &QPushButton::clicked, &window_, [this] {
        Cancel();
        window_.Bars().WaitCancelButton().setEnabled(false);
    });
}

bool DeviceReturnFlow::VerifyAfterWrite() const {
    return window_.Bars().VerifyAfterWriteAction().isChecked();
}

void DeviceReturnFlow::NoteWritten(std::int32_t job, const JobInput& input, const DeviceState& state) {
    const bool q470r = state.modelKind == ModelQ470R;
    std::vector<SettingCheck> checks;
    switch (job) {
        case JobApplyGeneralQ470R:
        case JobApplyGeneralKs:
            checks = ChecksOfGeneral(input.general, q470r, DeviceHasRxPullUp(state));
            break;
        case JobApplyGpio:
            checks = ChecksOfGpio(input.gpio);
            break;
        case JobApplyFileQ470R:
        case JobApplyFileKs:
            checks = ChecksOfItems(input.fileItems, q470r);
            break;
        default:
            return;
    }
    for (const SettingCheck& check : checks) {
        written_.erase(std::remove_if(written_.begin(), written_.end(),
                                      [&check](const SettingCheck& earlier) { return SameSetting(earlier, check); }),
                       written_.end());
        written_.push_back(check);
    }
}

bool DeviceReturnFlow::TakesRestarts() const {
    return window_.Bars().FindDeviceAgainAction().isChecked() || VerifyAfterWrite();
}

DeviceReturnFlow::Outcome DeviceReturnFlow::Follow(Cause cause) {
    const bool findAgain = window_.Bars().FindDeviceAgainAction().isChecked();
    std::vector<SettingCheck> written;
    // A restart brings every write so far into force, whatever is done after it; an unplug may or may
    // not have (a device powered from its USB port restarts), so the writes stay for the next restart.
    if (cause == Cause::PortLost) {
        written = written_;
    } else {
        written.swap(written_);
    }
    // A factory reset puts every setting back: what was written before it is not what it holds.
    if (cause == Cause::Restart && VerifyAfterWrite() && !written.empty()) return Verify(std::move(written));
    if (!findAgain) return Outcome::NotTaken;
    std::vector<ConnectionLine> lines;
    if (cause == Cause::FactoryReset) {
        lines.push_back(ConnectionLine{});  // the factory's line setting
    } else {
        lines.push_back(LineAfterRestart(written, window_.OpenedLine()));
    }
    if (!SameLine(lines.front(), window_.OpenedLine())) lines.push_back(window_.OpenedLine());
    return FindAgain(std::move(lines));
}

DeviceReturnFlow::Outcome DeviceReturnFlow::Verify(std::vector<SettingCheck> checks) {
    VerifyRequest request;
    request.port = WideToNarrow(window_.OpenedPortName().toStdU16String());
    if (window_.OpenedPortNames().openedAs == request.port) request.names = window_.OpenedPortNames();
    request.connection = window_.OpenedLine();
    request.modelKind = window_.State().modelKind;
    request.checks = std::move(checks);
    request.restartBudget = budget_;
    request.stopping = [this] { return cancel_.load(); };
    window_.HoldForReturn();
    Q470Comm& link = window_.DeviceLink();
    VerifyReport report;
    RunWaiting([&link, &request, &report] { report = VerifyWrites(link, request); });
    if (!window_.Closing()) {
        ShowMessageBox(&window_, VerifyBoxText(report),
                       VerifyBoxIsGood(report) ? MessageIcon::Information : MessageIcon::Warning);
    }
    // The device answered somewhere: that is where the window goes on with it.
    if (link.IsOpen() && report.line && !window_.Closing()) {
        return Reconnect(report.foundAs.empty() ? request.port : report.foundAs, *report.line);
    }
    link.Close();
    return Outcome::NotBack;
}

DeviceReturnFlow::Outcome DeviceReturnFlow::FindAgain(std::vector<ConnectionLine> lines) {
    ReturnRequest request;
    request.port = WideToNarrow(window_.OpenedPortName().toStdU16String());
    if (window_.OpenedPortNames().openedAs == request.port) request.names = window_.OpenedPortNames();
    request.lines = std::move(lines);
    request.budget = budget_;
    request.stopping = [this] { return cancel_.load(); };
    window_.HoldForReturn();
    Q470Comm& link = window_.DeviceLink();
    link.Close();
    ReturnResult result;
    RunWaiting([&link, &request, &result] { result = AwaitDeviceReturn(link, request); });
    if (result.outcome == ReturnResult::Outcome::Back && !window_.Closing()) {
        return Reconnect(result.name, result.line);
    }
    link.Close();
    window_.Bars().SetPortState(FormatText(UiText::DeviceNotBack, request.port.c_str()));
    return Outcome::NotBack;
}

void DeviceReturnFlow::RunWaiting(const std::function<void()>& work) {
    cancel_ = window_.Closing();  // a window on its way out waits for nothing
    waiting_ = true;
    window_.Bars().ShowWaiting(FormatText(UiText::WaitingForDevice, window_.OpenedPortName().toUtf8().constData()));
    RunOffWindowThread(work, true);
    window_.Bars().EndWaiting();
    waiting_ = false;
}

DeviceReturnFlow::Outcome DeviceReturnFlow::Reconnect(const std::string& name, const ConnectionLine& line) {
    window_.AdoptReturnedDevice(QString::fromStdU16String(NarrowToWide(name)), line);
    return Outcome::Back;
}

}  // namespace q470
