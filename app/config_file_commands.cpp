#include "config_file_commands.h"

#include "general_info_page.h"
#include "gpio_config_page.h"
#include "job_code.h"
#include "keldan_q470r_configurator_dlg.h"
#include "model_kind.h"
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
    const int result =
        SaveConfigForModel(path.toStdU16String(), window_.ConnectedModelKind(),
                           window_.GeneralPage().GetGeneralSettings(), window_.GpioPage().GetGpioSettings());
    if (result != 0) {
        ShowMessageBox(&window_, Text(UiText::ConfigSaveFailed), MessageIcon::Error);
    } else {
        ShowMessageBox(&window_, Text(UiText::ConfigSaved), MessageIcon::Information);
    }
}

void ConfigFileCommands::OnLoadConfigFile() {
    if (!window_.IsPortOpen() || window_.IsBusy()) return;  // the items go to a connected, idle device
    const QString path = CurrentUiServices().GetOpenFileName(&window_, ConfigFileRequest());
    if (path.isEmpty()) return;
    SettingItemList items;
    const std::uint32_t modelKind = window_.ConnectedModelKind();
    const ConfigLoadOutcome outcome = LoadConfigForModel(path.toStdU16String(), modelKind, configDocument, items);
    if (outcome.status != ConfigLoadStatus::Loaded) {
        ShowLoadRefusal(outcome);
        return;
    }
    fileItems = std::move(items);
    window_.QueueJob(modelKind == ModelQ470R ? JobApplyFileQ470R : JobApplyFileKs);
}

void ConfigFileCommands::ShowLoadRefusal(const ConfigLoadOutcome& outcome) {
    switch (outcome.status) {
        case ConfigLoadStatus::FileUnreadable:
            ShowMessageBox(&window_, Text(UiText::ConfigLoadFailed), MessageIcon::Warning);
            return;
        case ConfigLoadStatus::BadContent:
            CurrentUiServices().ShowMessage(&window_, {FormatText(UiText::ConfigParseError, outcome.code),
                                                       Text(UiText::ConfigFileErrorCaption), MessageIcon::Error});
            return;
        case ConfigLoadStatus::NoValidValues:
            CurrentUiServices().ShowMessage(&window_, {Text(UiText::ConfigNoValidValues),
                                                       Text(UiText::SettingsReadErrorCaption), MessageIcon::Warning});
            return;
        case ConfigLoadStatus::WrongProduct:
            CurrentUiServices().ShowMessage(&window_, {Text(UiText::ConfigWrongProduct),
                                                       Text(UiText::SettingsReadErrorCaption), MessageIcon::Warning});
            return;
        case ConfigLoadStatus::Loaded:
            return;
    }
}

}  // namespace q470
