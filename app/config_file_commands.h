#pragma once

#include <string>
#include <vector>

#include "config_document.h"
#include "config_exchange.h"
#include "setting_item.h"

namespace q470 {

class CKeldanQ470RConfiguratorDlg;

// The window's two configuration-file commands: save writes the pages' records for the connected model;
// load reads a file, checks it against the connected model and queues the job that sends its items.
class ConfigFileCommands {
public:
    explicit ConfigFileCommands(CKeldanQ470RConfiguratorDlg& window);

    void OnSaveConfigFile();
    void OnLoadConfigFile();

    // The items of the last file that passed every check; the apply-file jobs send them.
    const SettingItemList& FileItems() const { return fileItems; }
    // What that file named but does not send (unknown or mistyped members, settings the model lacks),
    // one line each, for the apply job's result message.
    const std::vector<std::string>& FileWarnings() const { return fileWarnings_; }

private:
    void ShowLoadRefusal(const ConfigLoadOutcome& outcome);

    CKeldanQ470RConfiguratorDlg& window_;
    SettingItemList fileItems;
    std::vector<std::string> fileWarnings_;
    // The last file parsed; a file that does not parse leaves it as it was.
    ConfigDocument configDocument;
};

}  // namespace q470
