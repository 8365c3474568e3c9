#pragma once

#include <QString>
#include <QTemporaryDir>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fake_ui_services.h"
#include "job_record.h"
#include "keldan_q470r_configurator_dlg.h"
#include "soak_options.h"
#include "soak_run.h"
#include "string_table.h"
#include "temporary_profile.h"

namespace q470::soak {

// The real main window on the offscreen platform, driven like a user who clicks as soon as the window
// lets him, against simulated devices that misbehave at random. Every box is answered at once by the
// test UI services. After every action the soak checks that the window came back within the time-outs
// of the jobs it ran, that what it told the user agrees with what the device did, and that a device
// hanging up was reported exactly once.
class WindowSoak final : public SoakRun {
public:
    explicit WindowSoak(const SoakOptions& options);
    ~WindowSoak();

    int Run();  // 0 when every invariant held

private:
    enum class Action { ApplyGeneral, ApplyGpio, SaveFile, LoadFile, Restart, FactoryReset, PortCommand };

    void DeviceStarted() override;
    std::string PortLink() override;
    void EndDevice();
    void Connect();
    void RunAction(Action action);
    Action ChooseAction();
    // Performs the action as a user would; false when it started nothing.
    bool Perform(Action action, JobRecord& run);
    // Pumps events until the window has been idle for a moment; false when `budget` ran out first
    // (a failure) or the run is over.
    bool WaitIdle(std::chrono::milliseconds budget);
    std::vector<MessageRequest> NewMessages();
    void CheckHangUpReports(const std::vector<MessageRequest>& messages);
    void AuditConnect(const JobRecord& run, const std::vector<MessageRequest>& messages);
    void AuditApply(JobRecord run, const std::vector<MessageRequest>& messages);

    TemporaryProfile profile_;
    FakeUiServices ui_;
    QTemporaryDir files_;
    std::vector<QString> savedFiles_;
    std::size_t messagesSeen_ = 0;

    std::string portPath_;  // the current device's, offered by the window's port list
    bool hangUpReported_ = false;
    // Past the run's end the soak stops waiting and closes the window, whatever job still runs.
    std::chrono::steady_clock::time_point stopAt_{};
    bool stopped_ = false;
    int failedConnects_ = 0;

    std::unique_ptr<CKeldanQ470RConfiguratorDlg> window_;
};

}  // namespace q470::soak
