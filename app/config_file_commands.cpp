#include "config_file_commands.h"

#include "general_info_page.h"
#include "gpio_config_page.h"
#include "job_code.h"
#include "keldan_q470r_configurator_dlg.h"
#include "model_jobs.h"
#include "model_kind.h"
#include "setting_messages.h"
#include "string_table.h"
#include "ui_services.h"

namespace q470 {
namespace {

FileDialogRequest ConfigFileRequest() {
    FileDialogRequest request;
    request.filter = LoadUiString(static_cast<int>(UiText::ConfigFileFilter));
    return request;
}

}  // namespace

ConfigFileCommands::ConfigFileCommands(CKeldanQ470RConfiguratorDlg& window) : window_(window) {}

void ConfigFileCommands::OnSaveConfigFile() {
    if (!window_.IsPortOpen() || window_.IsBusy()) return;  // only a connected, idle device has records to save
    const QString path = CurrentUiServices().GetSaveFileName(&window_, ConfigFileRequest());
    if (path.isEmpty()) return;
    const std::uint32_t modelKind = window_.ConnectedModelKind();
    const GeneralSettings& general = window_.GeneralPage().GetGeneralSettings();
    const GpioSettings& gpio = window_.GpioPage().GetGpioSettings();
    if (SaveConfigForModel(path.toStdU16String(), modelKind, general, gpio) != 0) {
        ShowMessageBox(&window_, Text(UiText::ConfigSaveFailed), MessageIcon::Error);
        return;
    }
    ShowMessageBox(&window_, Text(UiText::ConfigSaved), MessageIcon::Information);
    // The file holds what the device holds, also a value the rules refuse: say now that it cannot be
    // applied as it is, rather than when the backup is needed.
    const SettingProblems held = RestoreRefusals(modelKind, general, gpio);
    if (!held.empty()) {
        ShowMessageBox(&window_, WithDetails(Text(UiText::SavedWithHeldValues), HeldValueLines(held, WindowTexts())),
                       MessageIcon::Warning);
    }
}

void ConfigFileCommands::OnLoadConfigFile() {
    if (!window_.IsPortOpen() || window_.IsBusy()) return;  // the items go to a connected, idle device
    const QString path = CurrentUiServices().GetOpenFileName(&window_, ConfigFileRequest());
    if (path.isEmpty()) return;
    SettingItemList items;
    const std::uint32_t modelKind = window_.ConnectedModelKind();
    // The device was read when it connected: a file never sets the PHY ID, so its channel must be one of
    // the plan the device is on.
    ConfigTarget target;
    target.modelKind = modelKind;
    target.radio = RadioPlan{window_.State().network.phyId, window_.State().network.rfChannel};
    const ConfigLoadOutcome outcome = LoadConfigForModel(path.toStdU16String(), target, configDocument, items);
    if (outcome.status != ConfigLoadStatus::Loaded) {
        ShowLoadRefusal(outcome);
        return;
    }
    fileItems = std::move(items);
    fileWarnings_ = LoadCauseLines(outcome, modelKind, WindowTexts());
    window_.QueueJob(ApplyFileJobOf(modelKind));
}

// The window's message for the case comes first; why follows.
void ConfigFileCommands::ShowLoadRefusal(const ConfigLoadOutcome& outcome) {
    const LoadRefusal refusal = LoadRefusalOf(outcome.status);
    const QString headline = refusal.takesCode ? FormatText(refusal.text, outcome.code) : Text(refusal.text);
    const QString text = WithDetails(headline, LoadCauseLines(outcome, window_.ConnectedModelKind(), WindowTexts()));
    switch (outcome.status) {
        case ConfigLoadStatus::BadContent:
            CurrentUiServices().ShowMessage(&window_, {text, Text(UiText::ConfigFileErrorCaption), MessageIcon::Error});
            return;
        case ConfigLoadStatus::NoValidValues:
        case ConfigLoadStatus::WrongProduct:
            CurrentUiServices().ShowMessage(&window_,
                                            {text, Text(UiText::SettingsReadErrorCaption), MessageIcon::Warning});
            return;
        case ConfigLoadStatus::FileUnreadable:
        case ConfigLoadStatus::Refused:
            ShowMessageBox(&window_, text, MessageIcon::Warning);
            return;
        case ConfigLoadStatus::Loaded:
            return;
    }
}

}  // namespace q470
