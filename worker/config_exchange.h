#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config_check.h"
#include "config_document.h"
#include "config_file_loader.h"
#include "general_settings.h"
#include "gpio_settings.h"
#include "setting_item.h"

namespace q470 {

// Saving and loading whole configurations, shared by the window's menu commands and the command-line
// tool.

// The items the save command writes, in this order: Q470R: 18, 11, 9, 13, 7, thirteen pins, 29, 17;
// KELDAN: 18, 32, 7, 29. They are appended to `items`.
void CollectQ470RSettingItems(const GeneralSettings& general, const GpioSettings& gpio, SettingItemList& items);
void CollectKS410SettingItems(const GeneralSettings& general, SettingItemList& items);

// Writes the connected model's form (a KELDAN-KS400 gets the KELDAN-KS410 form): the writer's result,
// 0 when written.
int SaveConfigForModel(const std::u16string& path, std::uint32_t modelKind, const GeneralSettings& general,
                       const GpioSettings& gpio);
// The bytes that file holds, for a target that is written in place (a pipe, standard output).
std::string ConfigFileTextForModel(std::uint32_t modelKind, const GeneralSettings& general, const GpioSettings& gpio);

// The values of the file that save writes which applying it to the same device would refuse: the
// file's text read back and checked as apply checks it, against the model and the radio plan the
// record holds. A device set up by older firmware or another tool may hold them; the file keeps them
// as read. Empty when the file can be applied as it is.
SettingProblems RestoreRefusals(std::uint32_t modelKind, const GeneralSettings& general, const GpioSettings& gpio);

enum class ConfigLoadStatus {
    Loaded,          // `items` holds the file's settings; `problems` may name members left out
    FileUnreadable,  // the file does not open, or is not one strict JSON value: `code` is the load result,
                     // `failure` says why
    BadContent,      // the root is not an object or the model name is wrong: `code` is -1, -2 or -3
    NoValidValues,   // no setting in the file qualifies; `problems` names what was left out
    WrongProduct,    // the file is for another model than the connected one: `fileModelKind`
    Refused,         // a value the rules do not allow: `problems` holds at least one refusal
};

struct ConfigLoadOutcome {
    ConfigLoadStatus status = ConfigLoadStatus::FileUnreadable;
    int code = 0;
    ConfigFileFailure failure;
    std::uint32_t fileModelKind = 0;
    std::string modelName;  // BadContent -2 or -3: the "Model Name" value as the file writes it
    SettingProblems problems;  // refusals and warnings, as the rule check found them
    std::vector<std::string> itemMembers;  // Loaded: where each item came from ("General/PAN ID")
};

// Reads the file into `document` (left as it was when the file cannot be parsed), turns it into
// setting items and checks them against the connected model and, once the device has been read, its
// radio plan: any value the rules do not allow refuses the whole file. `items` receives the list only
// when the outcome is Loaded. A file without "Model Name" counts as a Q470R file; a KELDAN-KS410 file is
// accepted by a connected KELDAN-KS400 too, since the two are one family and the KS400 saves that form.
// A target model kind of 0 checks the file against its own model (before any device is known).
ConfigLoadOutcome LoadConfigForModel(const std::u16string& path, const ConfigTarget& target, ConfigDocument& document,
                                     SettingItemList& items);
ConfigLoadOutcome LoadConfigForModel(const std::u16string& path, std::uint32_t connectedModelKind,
                                     ConfigDocument& document, SettingItemList& items);
// The same for a file's bytes, read once by the caller: a pipe has them only once, and every device of a
// run must get what one read of the file held.
ConfigLoadOutcome LoadConfigBytesForModel(const std::string& content, const ConfigTarget& target,
                                          ConfigDocument& document, SettingItemList& items);

}  // namespace q470
