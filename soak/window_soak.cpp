#include "window_soak.h"

#include "line_settings.h"

#include <QAction>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <utility>

#include "config_file_commands.h"
#include "device_return_flow.h"
#include "general_info_page.h"
#include "gpio_config_page.h"
#include "job_audit.h"
#include "job_budget.h"
#include "job_code.h"
#include "model_jobs.h"
#include "model_kind.h"
#include "widget_driver.h"
#include "write_verifier.h"

namespace q470::soak {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kIdleFor = 200ms;
constexpr int kPumpMs = 10;
constexpr double kNewDeviceChance = 0.03;
constexpr std::chrono::milliseconds kAssocClear{2000};

struct WeightedAction {
    int action;
    std::uint32_t weight;
};

bool Shows(const std::vector<MessageRequest>& messages, UiText text) {
    return std::any_of(messages.begin(), messages.end(),
                       [&](const MessageRequest& message) { return message.text.startsWith(Text(text)); });
}

std::uint64_t Count(const std::vector<MessageRequest>& messages, UiText text) {
    return static_cast<std::uint64_t>(std::count_if(
        messages.begin(), messages.end(), [&](const MessageRequest& m) { return m.text.startsWith(Text(text)); }));
}

// The dialog came back right after the box that says the port did not open.
bool BackAfterFailedOpen(const FakeUiServices& ui) {
    QString failure = Text(UiText::PortOpenFailed);
    failure.chop(1);  // the box puts a colon and the reason where the full stop was
    const std::size_t count = ui.calls.size();
    return count >= 2 && ui.calls[count - 2].kind == FakeUiServices::CallKind::Message &&
           ui.calls[count - 2].message.text.startsWith(failure);
}

std::chrono::milliseconds ConnectBudget(std::uint32_t baud) {
    return JobBudget::For(JobIdentify, baud, 0) + JobBudget::For(JobReadQ470R, baud, 0);
}

// A job and the jobs the window runs on its own after it: a file apply restarts the device or reads it
// again, a restart connects anew, a PAN ID change clears the associations and restarts.
std::chrono::milliseconds ChainBudget(std::int32_t job, std::uint32_t baud, std::size_t fileItems) {
    const auto own = JobBudget::For(job, baud, fileItems);
    const auto restart = JobBudget::For(JobRestart, baud, 0) + ConnectBudget(baud);
    switch (job) {
        case JobApplyGeneralQ470R:
            return own + kAssocClear + restart;
        case JobApplyFileQ470R:
        case JobApplyFileKs:
            return own + restart;
        case JobRestart:
        case JobFactoryReset:
            return own + ConnectBudget(baud);
        default:
            return own;
    }
}

// A page's button can be clicked only while its tab is shown.
void ShowTab(QWidget& window, int index) {
    Child<QTabWidget>(window, QStringLiteral("tabs")).setCurrentIndex(index);
}

bool AnySetCommand(const JobRecord& run) {
    return std::any_of(run.entries.begin(), run.entries.end(), [](const LedgerEntry& e) { return IsSetCommand(e); });
}

}  // namespace

WindowSoak::WindowSoak(const SoakOptions& options) : SoakRun(options, "window") {
    // Accepts what the dialog offers, as a user pressing Enter would; when the port did not open, the
    // dialog comes back and, with no other port to offer, is cancelled.
    ui_.dialogDriver = [this](ComConfigDlg& dialog) {
        if (BackAfterFailedOpen(ui_)) return false;
        dialog.show();
        dialog.accept();
        // The device answers only at its own line setting: it is kept at the line the window connects with.
        if (device_.Running())
            device_.Ledger().KeepLine(sim::FromPortCodes(dialog.Line().baudRate, 8, 0, dialog.Line().stopBits));
        return true;
    };
    auto ports = [this](std::vector<SerialPortEntry>& list) {
        list.clear();
        if (!portPath_.empty()) list.push_back({portPath_, {}});
        return std::error_code();
    };
    window_ = std::make_unique<CKeldanQ470RConfiguratorDlg>(QString(), ports);
}

WindowSoak::~WindowSoak() {
    window_.reset();
    EndDevice();
}

int WindowSoak::Run() {
    const auto start = Clock::now();
    const auto end = start + options_.length;
    stopAt_ = end + kStopGrace;
    StartDevice();
    Connect();
    while (Clock::now() < end && !report_.Failed() && !stopped_) {
        memory_.Poll();
        const bool replace =
            hangUpReported_ || failedConnects_ >= kFailedConnectsBeforeNewDevice || random_.Chance(kNewDeviceChance);
        if (replace) {
            EndDevice();
            StartDevice();
        }
        if (replace || !window_->IsPortOpen()) {
            Connect();
            continue;
        }
        RunAction(ChooseAction());
    }
    memory_.Finish();
    window_.reset();  // closes the port and joins the worker
    EndDevice();
    return Verdict(start);
}

// The window waits for a port that went to come back under its name; a pseudo-terminal's number is
// soon taken by another program's (the other soaks run beside this one), whose device would answer.
std::string WindowSoak::PortLink() {
    return files_.filePath(QStringLiteral("ttyACM0")).toStdString();
}

void WindowSoak::DeviceStarted() {
    const std::string link = device_.Modem().KernelLink();
    portPath_ = link.empty() ? device_.Modem().PortPath() : link;
    window_->ConnectionDialog().SetPreferredPort(QString::fromStdString(portPath_));
    hangUpReported_ = false;
    failedConnects_ = 0;
}

void WindowSoak::EndDevice() {
    Beat("ending a device");
    device_.Stop();
}

// The port command: the window closes the port, asks for the connection (answered with the device's
// port) and connects: identify, then the read.
void WindowSoak::Connect() {
    if (!device_.Running() || report_.Failed()) return;
    Beat("connecting");
    JobRecord run;
    run.job = JobIdentify;
    const std::size_t mark = device_.Ledger().Mark();
    if (window_->isVisible()) {
        window_->findChild<QAction*>(QStringLiteral("comConfigAction"))->trigger();
    } else {
        window_->show();  // the connection dialog follows by itself
    }
    if (!WaitIdle(ConnectBudget(window_->ConnectionDialog().Line().baudRate))) return;
    const auto messages = NewMessages();
    run.entries = device_.Ledger().Since(mark);
    run.deviceGone = Shows(messages, UiText::PortProblem);
    run.outOfStep = window_->DeviceLink().OutOfStep();
    AuditConnect(run, messages);
    device_.Ledger().Forget(device_.Ledger().Mark());
    device_.Modem().ClearTranscript();
    CheckBuffers(window_->DeviceLink());
}

WindowSoak::Action WindowSoak::ChooseAction() {
    static constexpr WeightedAction kMix[] = {
        {static_cast<int>(Action::ApplyGeneral), 30}, {static_cast<int>(Action::ApplyGpio), 20},
        {static_cast<int>(Action::SaveFile), 8},      {static_cast<int>(Action::LoadFile), 25},
        {static_cast<int>(Action::Restart), 6},       {static_cast<int>(Action::FactoryReset), 3},
        {static_cast<int>(Action::PortCommand), 4},
    };
    std::uint32_t total = 0;
    for (const auto& entry : kMix) total += entry.weight;
    std::uint32_t draw = random_.Below(total);
    for (const auto& entry : kMix) {
        if (draw < entry.weight) return static_cast<Action>(entry.action);
        draw -= entry.weight;
    }
    return Action::ApplyGeneral;
}

void WindowSoak::RunAction(Action action) {
    if (action == Action::PortCommand) {
        Connect();
        return;
    }
    const DeviceState& state = window_->State();
    const std::uint32_t baud = window_->ConnectionDialog().Line().baudRate;
    JobRecord run;
    run.quietAtStart = state.quietMode;
    run.firmwareAtStart = FirmwareText(state);
    run.rxPullUpAtStart = DeviceHasRxPullUp(state);
    const std::size_t mark = device_.Ledger().Mark();
    if (!Perform(action, run)) {
        NewMessages();
        return;
    }
    Beat(JobName(run.job));
    if (!WaitIdle(ChainBudget(run.job, baud, run.items.size()))) return;
    const auto messages = NewMessages();
    run.entries = device_.Ledger().Since(mark);
    run.deviceGone = Shows(messages, UiText::PortProblem);
    run.outOfStep = window_->DeviceLink().OutOfStep();
    if (run.job == JobRestart || run.job == JobFactoryReset) {
        report_.JobEnded(run.job, JobSucceeded);
        AuditConnect(run, messages);
    } else {
        AuditApply(std::move(run), messages);
    }
    device_.Ledger().Forget(device_.Ledger().Mark());
    device_.Modem().ClearTranscript();
    CheckBuffers(window_->DeviceLink());
}

bool WindowSoak::Perform(Action action, JobRecord& run) {
    const bool q470r = window_->ConnectedModelKind() == ModelQ470R;
    switch (action) {
        case Action::ApplyGeneral: {
            GeneralInfoPage& page = window_->GeneralPage();
            ShowTab(*window_, 0);
            page.SetGeneralSettings(inputs_.General());
            Click(Child<QPushButton>(page, QStringLiteral("applyButton")));
            run.job = ApplyGeneralJobOf(window_->ConnectedModelKind());
            run.general = page.GetGeneralSettings();
            return true;
        }
        case Action::ApplyGpio: {
            if (!q470r) return Perform(Action::ApplyGeneral, run);  // the page is greyed for these models
            GpioConfigPage& page = window_->GpioPage();
            ShowTab(*window_, 1);
            page.SetGpioSettings(inputs_.Gpio());
            Click(Child<QPushButton>(page, QStringLiteral("applyButton")));
            run.job = JobApplyGpio;
            run.gpio = page.GetGpioSettings();
            return true;
        }
        case Action::SaveFile: {
            const QString path = files_.filePath(QString("saved-%1.json").arg(savedFiles_.size() % 8));
            ui_.fileNames.push_back(path);
            window_->findChild<QAction*>(QStringLiteral("saveConfigAction"))->trigger();
            if (Shows(NewMessages(), UiText::ConfigSaved) &&
                std::find(savedFiles_.begin(), savedFiles_.end(), path) == savedFiles_.end()) {
                savedFiles_.push_back(path);
            }
            return false;
        }
        case Action::LoadFile:
            if (savedFiles_.empty()) return Perform(Action::SaveFile, run);
            ui_.fileNames.push_back(savedFiles_[random_.Below(static_cast<std::uint32_t>(savedFiles_.size()))]);
            window_->findChild<QAction*>(QStringLiteral("loadConfigAction"))->trigger();
            run.job = ApplyFileJobOf(window_->ConnectedModelKind());
            run.items = window_->FileCommands().FileItems();
            return true;
        case Action::Restart:
        case Action::FactoryReset:
            run.job = action == Action::Restart ? JobRestart : JobFactoryReset;
            if (action == Action::FactoryReset) ui_.answers.push_back(MessageAnswer::Yes);  // to its question
            Click(Child<QPushButton>(*window_, action == Action::Restart ? QStringLiteral("restartButton")
                                                                         : QStringLiteral("factoryResetButton")));
            return true;
        case Action::PortCommand:
            return false;
    }
    return false;
}

// The window is settled when no job runs and it is not waiting for a device to come back; each wait
// for the device may take the restart budget and the connection after it.
bool WindowSoak::WaitIdle(std::chrono::milliseconds budget) {
    auto deadline = Clock::now() + budget;
    auto stableSince = Clock::now();
    const auto state = [this] {
        return std::make_tuple(window_->IsBusy(), window_->ReturnFlow().Waiting(), window_->IsPortOpen(),
                               device_.Ledger().Mark(), ui_.calls.size());
    };
    auto snapshot = state();
    for (;;) {
        QTest::qWait(kPumpMs);
        watchdog_.Beat("waiting for the window to settle");
        const auto now = Clock::now();
        const auto current = state();
        const bool waitingForDevice = std::get<1>(current);
        if (waitingForDevice && !std::get<1>(snapshot)) {
            deadline += kRestartBudget + ConnectBudget(window_->ConnectionDialog().Line().baudRate);
        }
        if (current != snapshot) {
            snapshot = current;
            stableSince = now;
        }
        if (!window_->IsBusy() && !waitingForDevice && now - stableSince >= kIdleFor) return true;
        if (now > stopAt_) {
            stopped_ = true;
            return false;
        }
        if (now > deadline) {
            report_.Fail("hang: the window stayed busy beyond the " + std::to_string(budget.count()) +
                         " ms its jobs may take");
            return false;
        }
    }
}

std::vector<MessageRequest> WindowSoak::NewMessages() {
    const auto all = ui_.Messages();
    std::vector<MessageRequest> fresh(all.begin() + static_cast<std::ptrdiff_t>(std::min(messagesSeen_, all.size())),
                                      all.end());
    ui_.calls.clear();
    messagesSeen_ = 0;
    CheckHangUpReports(fresh);
    return fresh;
}

// Exactly one error box per hang-up of an open port, and none without one.
void WindowSoak::CheckHangUpReports(const std::vector<MessageRequest>& messages) {
    const std::uint64_t boxes = Count(messages, UiText::PortProblem);
    if (boxes == 0) return;
    report_.errorCallbacks += boxes;
    if (!device_.Running() || !device_.Ledger().HangUpDue()) {
        report_.Fail("the window reported a port problem but the device had not hung up");
    } else if (hangUpReported_ || boxes > 1) {
        report_.Fail("one hang-up was reported " + std::to_string(boxes + (hangUpReported_ ? 1 : 0)) + " times");
    }
    if (!hangUpReported_) ++report_.hangUps;
    hangUpReported_ = true;
}

void WindowSoak::AuditConnect(const JobRecord& run, const std::vector<MessageRequest>& messages) {
    // A hang-up while the port was open must be told; one while it was closed cannot be.
    if (device_.Ledger().HangUpDue() && !hangUpReported_ && window_->IsPortOpen()) {
        const auto until = Clock::now() + kHangUpReportLimit;
        while (window_->IsPortOpen() && Clock::now() < until) QTest::qWait(kPumpMs);
        NewMessages();
        if (window_->IsPortOpen() && !hangUpReported_) report_.Fail("the device hung up but the window said nothing");
    }
    if (run.deviceGone || hangUpReported_) return;
    const bool refused = Shows(messages, UiText::NoDeviceResponse);
    const bool connected = window_->IsPortOpen() && !window_->IsBusy() && !refused;
    if (!connected) ++failedConnects_;
    if (!connected && !refused) return;  // the port did not open (the device is gone): nothing was asked
    report_.JobEnded(kConnectChain, connected ? JobSucceeded : JobFailed);
    const std::string violation = JobAudit::CheckConnect(run, connected, window_->State(), device_.Modem().Settings());
    if (!violation.empty()) report_.Fail(violation);
    if (connected) failedConnects_ = 0;
}

void WindowSoak::AuditApply(JobRecord run, const std::vector<MessageRequest>& messages) {
    std::optional<std::int32_t> result;
    if (Shows(messages, UiText::ApplyGeneralDone) || Shows(messages, UiText::ApplyGpioDone) ||
        Shows(messages, UiText::ConfigApplied) || Shows(messages, UiText::PanIdChanged)) {
        result = JobSucceeded;
    } else if (Shows(messages, UiText::ApplyGeneralFailed) || Shows(messages, UiText::ApplyGpioFailed) ||
               Shows(messages, UiText::ConfigApplyFailed)) {
        result = JobFailed;
    }
    if (options_.trace) {
        run.result = result.value_or(-1);
        std::printf("%s\n", JobAudit::Describe(run).c_str());
    }
    if (!result) {
        // Refused before it started (a value or a file the window does not take): nothing may be written.
        if (!run.deviceGone && AnySetCommand(run)) report_.Fail(JobAudit::Describe(run) + "\n  written but not told");
        return;
    }
    run.result = *result;
    report_.JobEnded(run.job, run.result);
    const bool fileJob = run.job == JobApplyFileQ470R || run.job == JobApplyFileKs;
    const std::string violation = JobAudit::CheckApply(run, !fileJob);
    if (!violation.empty()) report_.Fail(violation);
}

}  // namespace q470::soak
