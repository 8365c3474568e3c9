#include "job_result_handler.h"

#include <array>

#include "apply_step_text.h"
#include "command_catalogue.h"
#include "config_file_commands.h"
#include "device_info_box.h"
#include "device_records.h"
#include "device_return_flow.h"
#include "general_info_page.h"
#include "gpio_config_page.h"
#include "job_code.h"
#include "job_follow_up.h"
#include "keldan_q470r_configurator_dlg.h"
#include "model_kind.h"
#include "off_window_thread.h"
#include "string_table.h"
#include "ui_services.h"

namespace q470 {
namespace {

struct ApplyOutcome {
    JobCode job;
    UiText done;
    UiText failed;
};

// Apply jobs whose result is only told (a successful job 6 may instead lead on to the association clear).
constexpr std::array<ApplyOutcome, 3> kApplyOutcomes{{
    {JobApplyGeneralQ470R, UiText::ApplyGeneralDone, UiText::ApplyGeneralFailed},
    {JobApplyGeneralKs, UiText::ApplyGeneralDone, UiText::ApplyGeneralFailed},
    {JobApplyGpio, UiText::ApplyGpioDone, UiText::ApplyGpioFailed},
}};

const ApplyOutcome* FindApplyOutcome(std::int32_t job) {
    for (const auto& outcome : kApplyOutcomes) {
        if (outcome.job == job) return &outcome;
    }
    return nullptr;
}

}  // namespace

JobResultHandler::JobResultHandler(CKeldanQ470RConfiguratorDlg& window) : window_(window) {}

// What follows is decided once for the window and the tool; the window tells the user first, then
// carries the step out.
void JobResultHandler::OnJobResult(std::int32_t job, std::int32_t result) {
    window_.SetControlsEnabled(window_.IsPortOpen(), true);
    window_.EndBusy();
    const FollowUp next = NextAfterJob(job, result, window_.State(), window_.LastJobInput().general.panId);
    if (job == JobIdentify) window_.SetControlsEnabled(false, true);  // the read job follows
    DeviceReturnFlow& flow = window_.ReturnFlow();
    if (result == JobSucceeded) {
        MarkWritten(job);
        flow.NoteWritten(job, window_.LastJobInput(), window_.State());
    }
    if (next.step == FollowUpStep::Reconnect && result == JobSucceeded && FollowRestart(job)) return;
    // With the verify option a page's write is restarted into force and read back; the verify box
    // then tells how it went, in place of the write's own.
    if (next.step == FollowUpStep::None && result == JobSucceeded && FindApplyOutcome(job) != nullptr &&
        flow.VerifyAfterWrite() && window_.IsPortOpen()) {
        window_.QueueJob(JobRestart);
        return;
    }
    Tell(job, result, next.step);
    CarryOut(next);
}

void JobResultHandler::OnReplacedConnectionResult(std::int32_t job, std::int32_t result) {
    if (job == JobApplyFileQ470R || job == JobApplyFileKs) {
        TellFileOutcome(job, result);
        return;
    }
    ShowApplyOutcome(job, result);
}

// The device went away to restart: the window waits for it instead of asking for a connection. When it
// does not come back, the connection dialog follows as it would have.
bool JobResultHandler::FollowRestart(std::int32_t job) {
    const auto cause =
        job == JobFactoryReset ? DeviceReturnFlow::Cause::FactoryReset : DeviceReturnFlow::Cause::Restart;
    switch (window_.ReturnFlow().Follow(cause)) {
        case DeviceReturnFlow::Outcome::NotTaken:
            return false;
        case DeviceReturnFlow::Outcome::Back:
            return true;
        case DeviceReturnFlow::Outcome::NotBack:
            break;
    }
    window_.Disconnect();
    window_.SetControlsEnabled(false, true);
    if (!window_.Closing()) window_.ShowConnectionDialog();
    return true;
}

// A page's values that the device took are no longer changes; after a failure they stay marked, since
// what the device holds is not known for each of them.
void JobResultHandler::MarkWritten(std::int32_t job) {
    if (job == JobApplyGeneralQ470R || job == JobApplyGeneralKs) window_.GeneralPage().MarkWritten();
    if (job == JobApplyGpio) window_.GpioPage().MarkWritten();
}

void JobResultHandler::Tell(std::int32_t job, std::int32_t result, FollowUpStep step) {
    switch (step) {
        case FollowUpStep::Disconnect:
            ShowMessageBox(&window_, Text(UiText::NoDeviceResponse), MessageIcon::Warning);
            return;
        case FollowUpStep::ClearAssociations:
            ShowMessageBox(&window_, Text(UiText::PanIdChanged), MessageIcon::Information);
            return;
        case FollowUpStep::Restart:
        case FollowUpStep::ReadAgain:
            TellFileOutcome(job, result);
            return;
        case FollowUpStep::Reconnect:
            TellReconnect(job, result);
            return;
        case FollowUpStep::Read:
            return;
        case FollowUpStep::None:
            break;
    }
    if (job == JobReadQ470R || job == JobReadKs) {
        if (window_.IsPortOpen()) ShowDevice(job == JobReadQ470R);
        return;
    }
    ShowApplyOutcome(job, result);
}

void JobResultHandler::CarryOut(const FollowUp& next) {
    switch (next.step) {
        case FollowUpStep::None:
            return;
        case FollowUpStep::Read:
        case FollowUpStep::Restart:
        case FollowUpStep::ReadAgain:
            if (window_.IsPortOpen()) window_.QueueJob(next.job);
            return;
        case FollowUpStep::ClearAssociations:
            ClearAssociationsThen(next.job);
            return;
        case FollowUpStep::Disconnect:
            window_.Disconnect();
            window_.SetControlsEnabled(false, true);
            return;
        case FollowUpStep::Reconnect:
            window_.Disconnect();
            window_.SetControlsEnabled(false, true);
            window_.ShowConnectionDialog();
            return;
    }
}

void JobResultHandler::ShowDevice(bool afterQ470RRead) {
    const DeviceState& state = window_.State();
    GeneralInfoPage& general = window_.GeneralPage();
    general.SetGeneralSettings(GeneralSettingsFromDevice(state, window_.OpenedLine(), afterQ470RRead));
    general.EnableControls(true);
    GpioConfigPage& gpio = window_.GpioPage();
    if (afterQ470RRead) {
        gpio.SetGpioSettings(GpioSettingsFromDevice(state));
        gpio.EnableControls(true);
        gpio.SetUnavailableReason({});
    } else {
        gpio.EnableControls(false);  // keeps what it showed before
        gpio.SetUnavailableReason(FormatText(UiText::GpioUnavailable, ModelName(state.modelKind)));
    }
    const std::string status = DeviceStatusText(state, Text(UiText::SettingMode).toStdString());
    window_.InfoBox().SetIdentity(QString::fromStdString(FormatExtendedAddress(state.info.extendedAddress)),
                                  QString::fromStdU16String(state.firmwareVersion), QString::fromStdString(status));
    window_.SetPagesCurrent(true);
    window_.FocusFirstPageControl();
}

// The one command the window sends itself: the worker is idle, the job has ended and nothing is queued.
// The window shows itself busy and keeps painting while it waits for the answer; the command runs off the
// window thread but still before the restart is queued. A failed clear is not reported; the restart
// follows anyway.
void JobResultHandler::ClearAssociationsThen(std::int32_t restartJob) {
    window_.MakeBusy();
    Q470Comm& link = window_.DeviceLink();
    RunOffWindowThread([&link] { link.Execute(CommandText(CmdAssocClear), CmdAssocClear, kAssocClearTimeoutMs); });
    if (window_.IsPortOpen()) {
        window_.QueueJob(restartJob);
    } else {
        window_.EndBusy();
    }
}

// A failure's box keeps its own text first and adds what the device took and where the job stopped.
void JobResultHandler::ShowApplyOutcome(std::int32_t job, std::int32_t result) {
    const ApplyOutcome* outcome = FindApplyOutcome(job);
    if (outcome == nullptr) return;  // not a job of this window: nothing to tell
    if (result == JobSucceeded) {
        ShowMessageBox(&window_, Text(outcome->done), MessageIcon::Information);
    } else {
        ShowMessageBox(&window_, WithDetails(Text(outcome->failed), FailedSteps(job)), MessageIcon::Error);
    }
}

std::vector<std::string> JobResultHandler::FailedSteps(std::int32_t job) const {
    return ApplyTrailInWords(window_.LastApplyTrail(), job);
}

// Named by the device as it was before, since the connection dialog comes next and the identity goes.
void JobResultHandler::TellReconnect(std::int32_t job, std::int32_t result) {
    const bool reset = job == JobFactoryReset;
    const bool done = result == JobSucceeded;
    const UiText text = reset ? (done ? UiText::FactoryResetDone : UiText::FactoryResetNotConfirmed)
                              : (done ? UiText::RestartDone : UiText::RestartNotConfirmed);
    const DeviceState& state = window_.State();
    ShowMessageBox(
        &window_,
        FormatText(text, ModelName(state.modelKind), FormatExtendedAddress(state.info.extendedAddress).c_str()),
        done ? MessageIcon::Information : MessageIcon::Warning);
}

// Success restarts the device so the file's settings take effect; failure re-reads it so the pages show
// what it holds now.
void JobResultHandler::TellFileOutcome(std::int32_t job, std::int32_t result) {
    // What the file named but did not send is listed under the result, whichever it is.
    std::vector<std::string> notApplied;
    const auto& warnings = window_.FileCommands().FileWarnings();
    if (!warnings.empty()) {
        notApplied.push_back(Text(UiText::NotAppliedHeader).toStdString());
        notApplied.insert(notApplied.end(), warnings.begin(), warnings.end());
    }
    if (result == JobSucceeded) {
        const auto count = static_cast<unsigned>(window_.LastJobInput().fileItems.size());
        ShowMessageBox(
            &window_,
            WithDetails(Text(UiText::ConfigApplied) + FormatText(UiText::ExecutedCommandsLine, count), notApplied),
            MessageIcon::Information);
    } else {
        std::vector<std::string> details = FailedSteps(job);
        details.insert(details.end(), notApplied.begin(), notApplied.end());
        ShowMessageBox(&window_, WithDetails(Text(UiText::ConfigApplyFailed), details), MessageIcon::Error);
    }
}

}  // namespace q470
