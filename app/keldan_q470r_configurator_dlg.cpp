#include "keldan_q470r_configurator_dlg.h"

#ifdef Q470_HAVE_STATION
#include "station_window.h"
#endif

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>

#include "about_dlg.h"
#include "app_main_window.h"
#include "app_message.h"
#include "app_message_event.h"
#include "app_version.h"
#include "artwork.h"
#include "command_catalogue.h"
#include "config_file_commands.h"
#include "connection_texts.h"
#include "device_info_box.h"
#include "device_records.h"
#include "device_return_flow.h"
#include "general_info_page.h"
#include "gpio_config_page.h"
#include "job_code.h"
#include "job_result_handler.h"
#include "main_window_bars.h"
#include "model_jobs.h"
#include "model_kind.h"
#include "narrow_text.h"
#include "off_window_thread.h"
#include "page_scroll_area.h"
#include "string_table.h"
#include "traffic_view.h"
#include "typed_command.h"
#include "ui_services.h"

namespace q470 {
namespace {

// The window opens no larger than this share of the screen, leaving room for its frame.
constexpr int kScreenSharePercent = 90;

// A job's result message carries its job in the low bits and the connection it ran under above them.
constexpr unsigned kConnectionShift = 16;
constexpr quintptr kJobMask = (quintptr{1} << kConnectionShift) - 1;
constexpr std::uint32_t kConnectionMask = 0xFFFFu;

bool IsRestartJob(std::int32_t job) {
    return job == JobRestart || job == JobFactoryReset;
}

// Tab stops at the chosen radio of an exclusive pair, not at the other one.
bool IsTabStop(const QWidget& widget) {
    if (!widget.isEnabled() || !widget.isVisible() || (widget.focusPolicy() & Qt::TabFocus) == 0) return false;
    const auto* button = qobject_cast<const QAbstractButton*>(&widget);
    if (button == nullptr || !button->isCheckable() || button->isChecked()) return true;
    return !(button->autoExclusive() || (button->group() != nullptr && button->group()->exclusive()));
}

}  // namespace

CKeldanQ470RConfiguratorDlg::CKeldanQ470RConfiguratorDlg(const QString& preferredPort,
                                                         ComConfigDlg::PortEnumerator enumeratePorts, QWidget* parent)
    : QMainWindow(parent),
      comConfigDlg_(new ComConfigDlg(this, std::move(enumeratePorts))),
      fileCommands_(std::make_unique<ConfigFileCommands>(*this)),
      resultHandler_(std::make_unique<JobResultHandler>(*this)) {
    comConfigDlg_->SetPreferredPort(preferredPort);
    SetAppMainWindow(this);
    CreateControls();
    returnFlow_ = std::make_unique<DeviceReturnFlow>(*this);
    ConnectCommands();
    SetControlsEnabled(false, true);
    link_.errorCallback = [this](Q470Comm* link, std::error_code& error) { OnLinkError(link, error); };
    // Set before any job runs and kept: the view switches the recording, not the observer.
    link_.SetObserver([this](LinkTraffic traffic, std::string_view bytes, std::chrono::steady_clock::time_point when) {
        if (recordTraffic_) traffic_.Add(traffic, bytes, when);
    });
    ShowVersion();
    FitToScreen();
}

// No thread may outlive the window: the port is closed and the worker joined before anything goes.
CKeldanQ470RConfiguratorDlg::~CKeldanQ470RConfiguratorDlg() {
    Disconnect();
}

// One program never holds a port twice: the window lets its own go before the station takes ports.
void CKeldanQ470RConfiguratorDlg::OpenStation() {
#ifdef Q470_HAVE_STATION
    if (link_.IsOpen()) {
        Disconnect();
        SetControlsEnabled(true, false);
    }
    StationWindow::Open(this);
#endif
}

TrafficView& CKeldanQ470RConfiguratorDlg::ShowTrafficView() {
    if (!trafficView_) {
        trafficView_ = new TrafficView(traffic_, recordTraffic_, this);
        trafficView_->SetCommandEnabled(link_.IsOpen() && !worker_.IsBusy());
        connect(trafficView_, &TrafficView::commandEntered, this, &CKeldanQ470RConfiguratorDlg::SendTypedCommand);
        // Beside the window, so that the pages and the lines can be watched together.
        trafficView_->PlaceBeside(*this);
    }
    trafficView_->show();
    trafficView_->raise();
    return *trafficView_;
}

void CKeldanQ470RConfiguratorDlg::CreateControls() {
    setWindowTitle(Text(UiText::MainWindowTitle));
    setWindowIcon(AppIcon());
    setObjectName(QStringLiteral("mainWindow"));

    // The pages before the identity box, so that Tab starts at the first control of a page.
    auto* column = new QWidget;
    column->setObjectName(QStringLiteral("pageColumn"));
    tabs_ = new QTabWidget(column);
    tabs_->setObjectName(QStringLiteral("tabs"));
    // The tabs are as large as their pages, not as the window.
    tabs_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    generalPage_ = new GeneralInfoPage(tabs_);
    generalPage_->setObjectName(QStringLiteral("generalPage"));
    gpioPage_ = new GpioConfigPage(tabs_);
    gpioPage_->setObjectName(QStringLiteral("gpioPage"));
    tabs_->addTab(generalPage_, Text(UiText::GeneralTab));
    tabs_->addTab(gpioPage_, Text(UiText::GpioTab));
    infoBox_ = new DeviceInfoBox(column);
    staleNotice_ = new QLabel(Text(UiText::StaleValuesNotice), column);
    staleNotice_->setObjectName(QStringLiteral("staleNotice"));
    staleNotice_->hide();

    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(infoBox_);
    layout->addWidget(staleNotice_);
    layout->addWidget(tabs_);
    setCentralWidget(new PageScrollArea(column, this));

    bars_ = new MainWindowBars(*this);
    SetTabOrder();
}

// The page's controls, then the identity box, then the tab bar, and round to the page again.
void CKeldanQ470RConfiguratorDlg::SetTabOrder() {
    QWidget::setTabOrder(infoBox_->LastControl(), tabs_->tabBar());
}

void CKeldanQ470RConfiguratorDlg::FitToScreen() {
    const QScreen* shown = screen();
    if (shown == nullptr) return;
    const QSize room = shown->availableGeometry().size() * kScreenSharePercent / 100;
    resize(sizeHint().boundedTo(room));
}

void CKeldanQ470RConfiguratorDlg::SetPagesCurrent(bool current) {
    if (current) pagesFilled_ = true;
    staleNotice_->setVisible(!current && pagesFilled_);
}

void CKeldanQ470RConfiguratorDlg::FocusFirstPageControl() {
    QWidget* page = tabs_->currentWidget();
    if (page == nullptr) return;
    for (QWidget* widget = page->nextInFocusChain(); widget != nullptr && widget != page;
         widget = widget->nextInFocusChain()) {
        if (page->isAncestorOf(widget) && IsTabStop(*widget)) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void CKeldanQ470RConfiguratorDlg::ConnectCommands() {
    connect(&bars_->ComConfigAction(), &QAction::triggered, this, &CKeldanQ470RConfiguratorDlg::OnComConfigCommand);
    connect(&bars_->LoadConfigAction(), &QAction::triggered, this, [this] { fileCommands_->OnLoadConfigFile(); });
    connect(&bars_->SaveConfigAction(), &QAction::triggered, this, [this] { fileCommands_->OnSaveConfigFile(); });
    connect(&bars_->ExitAction(), &QAction::triggered, this, &QWidget::close);
    connect(&bars_->TrafficAction(), &QAction::triggered, this, [this] { ShowTrafficView(); });
    connect(&bars_->ReadDeviceAction(), &QAction::triggered, this, &CKeldanQ470RConfiguratorDlg::OnReadDevice);
    if (QAction* station = bars_->StationAction()) {
        connect(station, &QAction::triggered, this, [this] { OpenStation(); });
    }
    if (QAction* about = bars_->AboutAction()) {
        connect(about, &QAction::triggered, this, &CKeldanQ470RConfiguratorDlg::ShowAboutBox);
    }
    connect(infoBox_, &DeviceInfoBox::restartClicked, this, [this] { QueueDeviceCommand(JobRestart); });
    connect(infoBox_, &DeviceInfoBox::factoryResetClicked, this, &CKeldanQ470RConfiguratorDlg::OnFactoryResetClicked);
    // There is no help to show: F1 must not reach anything else.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setObjectName(QStringLiteral("helpShortcut"));
    AddTabSwitchKeys();
}

// The tab keys work wherever the focus is; a list that has the focus would otherwise take Ctrl+PgDn as
// a change of its value.
void CKeldanQ470RConfiguratorDlg::AddTabSwitchKeys() {
    const auto keysOf = [](QKeySequence::StandardKey standard, std::initializer_list<QKeySequence> own) {
        QList<QKeySequence> keys = QKeySequence::keyBindings(standard);
        // A key given twice would make the shortcut ambiguous with itself, and it would do nothing.
        for (const QKeySequence& key : own) {
            if (!keys.contains(key)) keys << key;
        }
        return keys;
    };
    const std::array<std::pair<QList<QKeySequence>, int>, 2> keys{{
        {keysOf(QKeySequence::NextChild,
                {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)}),
         1},
        {keysOf(QKeySequence::PreviousChild,
                {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::Key_PageUp)}),
         -1},
    }};
    for (const auto& [sequences, step] : keys) {
        auto* shortcut = new QShortcut(this);
        shortcut->setObjectName(step > 0 ? QStringLiteral("nextTabShortcut") : QStringLiteral("previousTabShortcut"));
        shortcut->setKeys(sequences);
        connect(shortcut, &QShortcut::activated, this, [this, step = step] {
            const int count = tabs_->count();
            tabs_->setCurrentIndex((tabs_->currentIndex() + step + count) % count);
        });
    }
}

void CKeldanQ470RConfiguratorDlg::ShowVersion() {
    bars_->SetVersion(VersionPaneText(CompiledVersion()));
}

void CKeldanQ470RConfiguratorDlg::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (startedUp_) return;
    startedUp_ = true;
    // Once the window is on screen, so that the connection dialog opens over it.
    QMetaObject::invokeMethod(this, &CKeldanQ470RConfiguratorDlg::ShowConnectionDialog, Qt::QueuedConnection);
}

void CKeldanQ470RConfiguratorDlg::SetControlsEnabled(bool enable, bool includePages) {
    const bool open = link_.IsOpen();
    bars_->SetCommandsEnabled(!open || enable, open && enable);
    infoBox_->SetControlsEnabled(enable);
    if (trafficView_) trafficView_->SetCommandEnabled(open && enable);
    if (!includePages) return;
    generalPage_->EnableControls(enable);
    // The device state is the worker's while a job runs; it is read only when enabling, which happens
    // only while no job runs.
    gpioPage_->EnableControls(enable && state_.modelKind == ModelQ470R);
}

void CKeldanQ470RConfiguratorDlg::Disconnect() {
    const bool wasOpen = link_.IsOpen();
    link_.Close();
    if (wasOpen) bars_->SetPortState(Text(UiText::PortClosed));
    worker_.StopWorker();
    EndBusy();
    infoBox_->Clear();
    SetPagesCurrent(false);
}

void CKeldanQ470RConfiguratorDlg::OnOpenPort() {
    if (link_.IsOpen()) {
        Disconnect();
        SetControlsEnabled(true, false);
        return;
    }
    const QString port = comConfigDlg_->PortName();
    const ConnectionLine line = comConfigDlg_->Line();
    if (const std::error_code error =
            link_.Open(WideToNarrow(port.toStdU16String()), line.baudRate, line.dataBits, line.parity, line.stopBits)) {
        ShowMessageBox(this, PortOpenErrorText(error), MessageIcon::Error);
        // Another port, or the same once it is free: the choice is the user's.
        ShowConnectionDialog();
        return;
    }
    AdoptReturnedDevice(port, line);
}

void CKeldanQ470RConfiguratorDlg::HoldForReturn() {
    worker_.StopWorker();
    EndBusy();
    infoBox_->Clear();
    SetPagesCurrent(false);
    SetControlsEnabled(false, true);
    bars_->SetCommandsEnabled(false, false);
}

void CKeldanQ470RConfiguratorDlg::AdoptReturnedDevice(const QString& port, const ConnectionLine& line) {
    {
        // A failure of the port before this opening is not this port's; one since it is, and its report
        // is still to be handled.
        const std::lock_guard<std::mutex> lock(linkErrorMutex_);
        if (!link_.HungUp()) linkError_.clear();
    }
    openedLine_ = line;
    openedPort_ = port;
    // While the device is there: a port that goes with its restart is looked for by these.
    openedNames_ = CollectPortNames(WideToNarrow(port.toStdU16String()), linkFolders_);
    connection_ = (connection_ + 1) & kConnectionMask;
    worker_.StartWorker();
    bars_->SetPortState(LineSummaryText(port, line.baudRate, line.parity, line.stopBits, line.dataBits));
    QueueJob(JobIdentify);
}

void CKeldanQ470RConfiguratorDlg::OnJobResult(std::int32_t job, std::int32_t result) {
    resultHandler_->OnJobResult(job, result);
}

void CKeldanQ470RConfiguratorDlg::ShowConnectionDialog() {
    if (!CurrentUiServices().RunComConfigDlg(*comConfigDlg_)) return;
    PostAppMessageTo(this, WM_APP_OPEN_PORT);
}

void CKeldanQ470RConfiguratorDlg::ShowAboutBox() {
    CAboutDlg about(this);
    about.exec();
}

void CKeldanQ470RConfiguratorDlg::OnFactoryResetClicked() {
    if (!link_.IsOpen()) return;
    MessageRequest question{FormatText(UiText::FactoryResetConfirm, ModelName(state_.modelKind),
                                       FormatExtendedAddress(state_.info.extendedAddress).c_str()),
                            Text(UiText::FactoryResetButton), MessageIcon::Warning, MessageButtons::YesNo};
    question.defaultAnswer = MessageAnswer::No;
    if (CurrentUiServices().ShowMessage(this, question) != MessageAnswer::Yes) return;
    QueueDeviceCommand(JobFactoryReset);  // the port may have failed while the question was open
}

void CKeldanQ470RConfiguratorDlg::OnReadDevice() {
    if (!link_.IsOpen() || worker_.IsBusy()) return;
    if (const int changes = UnwrittenChangeCount(); changes > 0) {
        MessageRequest question{FormatText(UiText::ReadDiscardConfirm, static_cast<unsigned>(changes)),
                                Text(UiText::MenuReadDevice), MessageIcon::Question, MessageButtons::YesNo};
        question.defaultAnswer = MessageAnswer::No;
        if (CurrentUiServices().ShowMessage(this, question) != MessageAnswer::Yes) return;
    }
    // The port may have failed while the question was open.
    QueueDeviceCommand(ReadJobOf(state_.modelKind));
}

int CKeldanQ470RConfiguratorDlg::UnwrittenChangeCount() const {
    // A KELDAN model has no GPIO settings: what the GPIO tab still holds from a Q470R is not its change.
    return generalPage_->ChangedCount() + (state_.modelKind == ModelQ470R ? gpioPage_->ChangedCount() : 0);
}

void CKeldanQ470RConfiguratorDlg::SendTypedCommand(const QString& command) {
    if (!link_.IsOpen() || worker_.IsBusy() || !IsSendableCommand(command)) return;
    const std::string text = command.toStdString();
    MakeBusy();
    // Up to the device's final line, so that the view shows the whole answer before the next command.
    RunOffWindowThread(
        [this, &text] { link_.ExecuteToFinalLine(text + "\r", CommandIdForText(text), Q470Comm::kDefaultTimeoutMs); });
    // A port that failed meanwhile has been disconnected and has left the window disabled.
    if (!link_.IsOpen()) return;
    EndBusy();
    SetControlsEnabled(true, true);
}

void CKeldanQ470RConfiguratorDlg::MakeBusy() {
    if (worker_.IsBusy()) return;
    StartWaitCursor();
    worker_.ExchangeBusy(true);
    SetControlsEnabled(false, true);
}

// Busy before the push: the worker may take the job at once, and the window must already be disabled.
void CKeldanQ470RConfiguratorDlg::QueueJob(std::int32_t job) {
    MakeBusy();
    lastJob_ = job;
    lastInput_ = JobInput{openedLine_, generalPage_->GetGeneralSettings(), gpioPage_->GetGpioSettings(),
                          fileCommands_->FileItems()};
    worker_.PushJob(job, lastInput_);
}

void CKeldanQ470RConfiguratorDlg::EndBusy() {
    EndWaitCursor();
    worker_.ExchangeBusy(false);
}

ConnectionLine CKeldanQ470RConfiguratorDlg::OpenedLine() const {
    return openedLine_;
}

const SettingItemList& CKeldanQ470RConfiguratorDlg::FileItems() const {
    return fileCommands_->FileItems();
}

// Worker thread, job mutex held: hand over and return.
void CKeldanQ470RConfiguratorDlg::PostJobResult(std::int32_t job, std::int32_t result) {
    const quintptr stamped =
        (static_cast<quintptr>(connection_.load()) << kConnectionShift) | (static_cast<quintptr>(job) & kJobMask);
    PostAppMessageTo(this, WM_APP_JOB_RESULT, stamped, result);
}

void CKeldanQ470RConfiguratorDlg::JobDropped(std::int32_t job) {
    PostAppMessageTo(this, WM_APP_JOB_DROPPED, static_cast<quintptr>(job));
}

// A dropped job posts no result, so nothing else would end the wait cursor it was queued with.
void CKeldanQ470RConfiguratorDlg::OnJobDroppedByWorker() {
    if (!worker_.IsBusy()) EndWaitCursor();
}

bool CKeldanQ470RConfiguratorDlg::event(QEvent* event) {
    if (event->type() != AppMessageEvent::EventType()) return QMainWindow::event(event);
    const auto* message = static_cast<const AppMessageEvent*>(event);
    DispatchAppMessage(message->Message(), message->WParam(), message->LParam());
    return true;
}

// One message at a time, in arrival order. A handler that waits (in a message box, for the association
// clear) lets the event loop run, and a message arriving meanwhile is handled once it has finished: the
// boxes follow one another instead of stacking, and no result is handled inside another.
void CKeldanQ470RConfiguratorDlg::DispatchAppMessage(std::uint32_t message, quintptr wParam, qintptr lParam) {
    heldMessages_.push_back({message, wParam, lParam});
    if (handlingMessage_) return;
    handlingMessage_ = true;
    while (!heldMessages_.empty()) {
        const AppMessage next = heldMessages_.front();
        heldMessages_.pop_front();
        HandleAppMessage(next);
    }
    handlingMessage_ = false;
}

void CKeldanQ470RConfiguratorDlg::HandleAppMessage(const AppMessage& app) {
    const auto [message, wParam, lParam] = app;
    switch (message) {
        case WM_APP_OPEN_PORT:
            OnOpenPort();
            break;
        case WM_APP_JOB_RESULT:
            // A connection since replaced by a device found again: its jobs' results are not this one's,
            // though how a write it cut short went is still the user's to know.
            if ((wParam >> kConnectionShift) != connection_.load()) {
                resultHandler_->OnReplacedConnectionResult(static_cast<std::int32_t>(wParam & kJobMask),
                                                           static_cast<std::int32_t>(lParam));
                break;
            }
            OnJobResult(static_cast<std::int32_t>(wParam & kJobMask), static_cast<std::int32_t>(lParam));
            break;
        case WM_APP_APPLY_GENERAL:
            OnApplyGeneral();
            break;
        case WM_APP_APPLY_GPIO:
            OnApplyGpio();
            break;
        case WM_APP_SERIAL_ERROR:
            OnSerialError();
            break;
        case WM_APP_JOB_DROPPED:
            OnJobDroppedByWorker();
            break;
        default:
            break;
    }
}

// I/O thread, link locks held: only keep the reason and post.
void CKeldanQ470RConfiguratorDlg::OnLinkError(Q470Comm* link, const std::error_code& error) {
    if (link != &link_ || !link_.IsOpen()) return;
    {
        const std::lock_guard<std::mutex> lock(linkErrorMutex_);
        if (!linkError_) linkError_ = error;  // the first failure is the cause; the rest follow from it
    }
    PostAppMessageTo(this, WM_APP_SERIAL_ERROR, static_cast<quintptr>(error.value()));
}

void CKeldanQ470RConfiguratorDlg::OnSerialError() {
    if (!link_.IsOpen()) return;
    std::error_code error;
    {
        const std::lock_guard<std::mutex> lock(linkErrorMutex_);
        error = linkError_;
    }
    // Cleared since: a port that failed while the device was away and has been opened again.
    if (!error) return;
    // A device that leaves the bus as it restarts: the restart's result follows and finds it again.
    if (worker_.IsBusy() && IsRestartJob(lastJob_) && returnFlow_->TakesRestarts()) return;
    Disconnect();
    SetControlsEnabled(false, true);
    if (returnFlow_->Follow(DeviceReturnFlow::Cause::PortLost) == DeviceReturnFlow::Outcome::Back) return;
    ShowMessageBox(this, PortLostText(openedPort_, error), MessageIcon::Error);
}

void CKeldanQ470RConfiguratorDlg::OnApplyGeneral() {
    if (!link_.IsOpen()) return;
    QueueJob(ApplyGeneralJobOf(state_.modelKind));
}

void CKeldanQ470RConfiguratorDlg::OnApplyGpio() {
    if (link_.IsOpen()) QueueJob(JobApplyGpio);
}

void CKeldanQ470RConfiguratorDlg::OnComConfigCommand() {
    Disconnect();
    SetControlsEnabled(false, true);
    ShowConnectionDialog();
}

void CKeldanQ470RConfiguratorDlg::QueueDeviceCommand(std::int32_t job) {
    if (link_.IsOpen()) QueueJob(job);
}

void CKeldanQ470RConfiguratorDlg::StartWaitCursor() {
    if (waitCursorShown_) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    waitCursorShown_ = true;
}

void CKeldanQ470RConfiguratorDlg::EndWaitCursor() {
    if (!waitCursorShown_) return;
    QApplication::restoreOverrideCursor();
    waitCursorShown_ = false;
}

void CKeldanQ470RConfiguratorDlg::closeEvent(QCloseEvent* event) {
    const MessageAnswer answer = CurrentUiServices().ShowMessage(
        this,
        {Text(UiText::CloseConfirm), Text(UiText::CloseCaption), MessageIcon::Information, MessageButtons::YesNo});
    if (answer != MessageAnswer::Yes) {
        event->ignore();
        return;
    }
    closing_ = true;
    returnFlow_->Cancel();  // a wait under way ends, and nothing is reopened after it
    event->accept();
}

// Enter and Escape would end a dialog; this window ends only through the close question.
void CKeldanQ470RConfiguratorDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            return;
        default:
            QMainWindow::keyPressEvent(event);
    }
}

}  // namespace q470
