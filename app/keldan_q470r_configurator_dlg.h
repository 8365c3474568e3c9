#pragma once

#include <QMainWindow>
#include <QString>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

#include "com_config_dlg.h"
#include "device_records.h"
#include "device_state.h"
#include "job_host.h"
#include "job_input.h"
#include "job_worker.h"
#include "port_names.h"
#include "q470comm.h"
#include "traffic_log.h"

class QLabel;
class QTabWidget;

namespace q470 {

class ConfigFileCommands;
class DeviceInfoBox;
class DeviceReturnFlow;
class GeneralInfoPage;
class GpioConfigPage;
class JobResultHandler;
class MainWindowBars;
class TrafficView;

// The program's only top-level window. It owns the connection settings dialog, the two settings pages,
// the device link, the job worker and the device state; turns the user's actions into jobs; opens and
// closes the port; and keeps its controls enabled or disabled by connection and job state.
//
// Threads: everything here runs on the window thread except the JobHost calls of the worker and the
// link's error callback, which only hand their news over to the window thread.
class CKeldanQ470RConfiguratorDlg : public QMainWindow, public JobHost {
    Q_OBJECT

    static constexpr std::size_t kTrafficLines = 2000;

    struct AppMessage {
        std::uint32_t message;
        quintptr wParam;
        qintptr lParam;
    };

public:
    // `preferredPort` is offered selected in the connection dialog (the demo device's port) without
    // replacing the user's own port in the profile.
    explicit CKeldanQ470RConfiguratorDlg(const QString& preferredPort = {},
                                         ComConfigDlg::PortEnumerator enumeratePorts = EnumerateSerialPorts,
                                         QWidget* parent = nullptr);
    ~CKeldanQ470RConfiguratorDlg() override;

    // Port commands of the menu and the identity buttons; the pages too when `includePages` is set.
    // Loading and saving files stay greyed while the port is closed; exit is never disabled.
    void SetControlsEnabled(bool enable, bool includePages);
    // Closes the port, stops the worker (a running job fails fast), ends the busy state and empties the
    // identity fields. Does not change which controls are enabled.
    void Disconnect();
    void OnOpenPort();
    void OnJobResult(std::int32_t job, std::int32_t result);
    // Runs the connection dialog; OK posts the request to open the port.
    void ShowConnectionDialog();
    void ShowAboutBox();
    // Closes the window's own connection and opens the production station's window.
    void OpenStation();
    // Asks first (No is the default), naming the device, since every setting goes back to its default.
    void OnFactoryResetClicked();
    // Reads the connected device again and refills the pages. Values changed but not yet written are
    // discarded only after a question (No is the default).
    void OnReadDevice();
    // Values on the pages that differ from what the device last reported.
    int UnwrittenChangeCount() const;

    // After a read: the pages show the device's values. After a disconnect they are marked as values
    // read earlier, until the next read.
    void SetPagesCurrent(bool current);
    // The first control of the shown page that takes the focus, as Tab would reach it.
    void FocusFirstPageControl();

    // Wait cursor, busy flag and controls disabled (nothing when already busy).
    void MakeBusy();
    // MakeBusy, then the job is queued with a copy of what it reads: the opened line, the pages'
    // records and the file items.
    void QueueJob(std::int32_t job);
    // What the last job was queued with; its result is handled against it.
    const JobInput& LastJobInput() const { return lastInput_; }
    // Ends the wait cursor and clears the busy flag.
    void EndBusy();

    bool IsPortOpen() const { return link_.IsOpen(); }
    bool IsBusy() const { return worker_.IsBusy(); }
    bool IsWorkerRunning() const { return worker_.IsRunning(); }
    std::uint32_t ConnectedModelKind() const { return state_.modelKind; }
    ConnectionLine OpenedLine() const;

    // The name the port was last opened by, and the names it had then (a port that goes with a
    // restart is looked for by them).
    QString OpenedPortName() const { return openedPort_; }
    const PortNames& OpenedPortNames() const { return openedNames_; }
    // Where stable port names are looked for; the system's folders unless set (tests).
    void SetLinkFolders(std::vector<std::string> folders) { linkFolders_ = std::move(folders); }
    // While the device is away: no job, no identity, nothing to press but Cancel and exit. The link is
    // left as it is, for the wait to take over.
    void HoldForReturn();
    // The device is back and the link open on `port` at `line`: the window goes on with it as with a
    // port the user opened, reading it.
    void AdoptReturnedDevice(const QString& port, const ConnectionLine& line);
    // The user has agreed to close the window.
    bool Closing() const { return closing_; }

    ComConfigDlg& ConnectionDialog() const { return *comConfigDlg_; }
    MainWindowBars& Bars() const { return *bars_; }
    DeviceReturnFlow& ReturnFlow() const { return *returnFlow_; }
    GeneralInfoPage& GeneralPage() const { return *generalPage_; }
    GpioConfigPage& GpioPage() const { return *gpioPage_; }
    DeviceInfoBox& InfoBox() const { return *infoBox_; }
    ConfigFileCommands& FileCommands() const { return *fileCommands_; }
    // The view of the traffic on the line; made when first shown, beside the window.
    TrafficView& ShowTrafficView();
    // A line typed in the traffic view, sent to the device while the window waits as for a job: busy,
    // the command taken out to the link off the window thread. Nothing while a job runs.
    void SendTypedCommand(const QString& command);

    // The items of the last file that passed every check.
    const SettingItemList& FileItems() const;

    // JobHost: called on the worker thread while a job runs.
    Q470Comm& DeviceLink() override { return link_; }
    DeviceState& State() override { return state_; }
    void PostJobResult(std::int32_t job, std::int32_t result) override;
    void JobDropped(std::int32_t job) override;
    void RecordApplyTrail(const ApplyTrail& trail) override { applyTrail_ = trail; }
    // What the last apply job wrote; read when its result is handled.
    const ApplyTrail& LastApplyTrail() const { return applyTrail_; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateControls();
    void SetTabOrder();
    void ConnectCommands();
    void AddTabSwitchKeys();
    // As large as the pages, as far as the screen has room for it.
    void FitToScreen();
    void ShowVersion();
    void DispatchAppMessage(std::uint32_t message, quintptr wParam, qintptr lParam);
    void HandleAppMessage(const AppMessage& message);
    void OnLinkError(Q470Comm* link, const std::error_code& error);
    void OnSerialError();
    void OnJobDroppedByWorker();
    void OnApplyGeneral();
    void OnApplyGpio();
    void OnComConfigCommand();
    void QueueDeviceCommand(std::int32_t job);
    void StartWaitCursor();
    void EndWaitCursor();

    // What the link sends and takes in, for the traffic view; recorded only while the view is shown.
    TrafficLog traffic_{kTrafficLines};
    std::atomic<bool> recordTraffic_{false};
    // Declared before the worker: the worker's jobs use it until the worker has been joined.
    Q470Comm link_;
    DeviceState state_;
    ApplyTrail applyTrail_;
    ConnectionLine openedLine_;  // what the port was last opened with
    QString openedPort_;
    PortNames openedNames_;
    std::vector<std::string> linkFolders_ = StableLinkFolders();
    bool closing_ = false;
    // Why the port failed, from the I/O thread that saw it to the window thread that tells it.
    std::mutex linkErrorMutex_;
    std::error_code linkError_;
    bool pagesFilled_ = false;  // the pages have shown a device's values
    JobInput lastInput_;
    std::int32_t lastJob_ = 0;
    // Counts the connections made; a job's result carries the count it ran under, so that a result
    // of a connection the window has since replaced is not taken for the new one's.
    std::atomic<std::uint32_t> connection_{0};
    JobWorker worker_{*this};
    bool waitCursorShown_ = false;
    bool startedUp_ = false;
    // Messages that arrived while another one was being handled, in arrival order.
    std::deque<AppMessage> heldMessages_;
    bool handlingMessage_ = false;

    ComConfigDlg* comConfigDlg_ = nullptr;
    GeneralInfoPage* generalPage_ = nullptr;
    GpioConfigPage* gpioPage_ = nullptr;
    DeviceInfoBox* infoBox_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QLabel* staleNotice_ = nullptr;
    MainWindowBars* bars_ = nullptr;
    std::unique_ptr<ConfigFileCommands> fileCommands_;
    std::unique_ptr<JobResultHandler> resultHandler_;
    std::unique_ptr<DeviceReturnFlow> returnFlow_;
    TrafficView* trafficView_ = nullptr;
};

}  // namespace q470
