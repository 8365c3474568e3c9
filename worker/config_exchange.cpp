#include "config_exchange.h"

#include "config_keys.h"
#include "config_reader.h"
#include "config_writer.h"
#include "json_value_text.h"
#include "model_kind.h"

namespace q470 {
namespace {

// Only called once the reader has accepted the document, so "Model Name" is absent or one of the two.
std::uint32_t FileModelKind(const ConfigDocument& document) {
    const auto member = document.FindMember(config_key16::kModelName.data());
    if (member == document.MemberEnd()) return ModelQ470R;
    const std::u16string name(member->value.GetString(), member->value.GetStringLength());
    return name == config_key16::kModelKs410.data() ? ModelKs410 : ModelQ470R;
}

std::string ModelNameText(const ConfigDocument& document) {
    if (!document.IsObject()) return {};
    const auto member = document.FindMember(config_key16::kModelName.data());
    return member == document.MemberEnd() ? std::string() : JsonValueText(member->value);
}

bool FileFitsModel(std::uint32_t fileKind, std::uint32_t connectedKind) {
    if (fileKind == connectedKind) return true;
    return fileKind == ModelKs410 && connectedKind == ModelKs400;
}

// A parsed file turned into items and checked against the target.
ConfigLoadOutcome CheckLoadedDocument(const ConfigDocument& document, const ConfigTarget& target,
                                      SettingItemList& items) {
    ConfigLoadOutcome outcome;
    SettingItemList read;
    ConfigReadReport report;
    if (const int code = ReadSettingItems(document, read, &report); code != kReadOk) {
        outcome.status = ConfigLoadStatus::BadContent;
        outcome.code = code;
        outcome.modelName = ModelNameText(document);
        return outcome;
    }
    outcome.fileModelKind = FileModelKind(document);
    if (read.empty() && !HasRefusal(report.problems)) {
        outcome.status = ConfigLoadStatus::NoValidValues;
        outcome.problems = std::move(report.problems);
        return outcome;
    }
    ConfigTarget checked = target;
    if (checked.modelKind == 0) checked.modelKind = outcome.fileModelKind;
    if (!FileFitsModel(outcome.fileModelKind, checked.modelKind)) {
        outcome.status = ConfigLoadStatus::WrongProduct;
        return outcome;
    }
    outcome.problems = CheckConfigItems(read, report, checked);
    if (HasRefusal(outcome.problems)) {
        outcome.status = ConfigLoadStatus::Refused;
        return outcome;
    }
    items = std::move(read);
    outcome.itemMembers = std::move(report.itemMembers);
    outcome.status = ConfigLoadStatus::Loaded;
    return outcome;
}

}  // namespace

void CollectQ470RSettingItems(const GeneralSettings& general, const GpioSettings& gpio, SettingItemList& items) {
    items.push_back(OpModeItem(general.opMode));
    items.push_back(NetRoleItem(general.netRole));
    items.push_back(PanIdItem(general.panId));
    items.push_back(RfChannelItem(general.rfChannel));
    items.push_back(UartItem(general.baudRate, general.parity, general.stopBits, general.dataBits));
    for (const auto& pin : gpio.pins) items.push_back(GpioConfigItem(pin.pin, pin.ioMode, pin.pinConfig));
    items.push_back(QuietModeItem(general.quietMode != 0));
    items.push_back(GpioPeriodicItem(static_cast<std::uint32_t>(gpio.reportInterval), gpio.sendToPeer != 0));
}

void CollectKS410SettingItems(const GeneralSettings& general, SettingItemList& items) {
    items.push_back(OpModeItem(general.opMode));
    items.push_back(UserPanIdItem(general.userPanId));
    items.push_back(UartItem(general.baudRate, general.parity, general.stopBits, general.dataBits));
    items.push_back(QuietModeItem(general.quietMode != 0));
}

int SaveConfigForModel(const std::u16string& path, std::uint32_t modelKind, const GeneralSettings& general,
                       const GpioSettings& gpio) {
    SettingItemList items;
    if (modelKind == ModelQ470R) {
        CollectQ470RSettingItems(general, gpio, items);
        return WriteQ470RConfigFile(path, items);
    }
    CollectKS410SettingItems(general, items);
    return WriteKS410ConfigFile(path, items);
}

std::string ConfigFileTextForModel(std::uint32_t modelKind, const GeneralSettings& general, const GpioSettings& gpio) {
    SettingItemList items;
    if (modelKind == ModelQ470R) {
        CollectQ470RSettingItems(general, gpio, items);
        return Q470RConfigFileText(items);
    }
    CollectKS410SettingItems(general, items);
    return KS410ConfigFileText(items);
}

SettingProblems RestoreRefusals(std::uint32_t modelKind, const GeneralSettings& general, const GpioSettings& gpio) {
    ConfigTarget target;
    target.modelKind = modelKind;
    target.radio = RadioPlan{general.phyId, general.rfChannel};
    ConfigDocument document;
    SettingItemList items;
    ConfigLoadOutcome outcome =
        LoadConfigBytesForModel(ConfigFileTextForModel(modelKind, general, gpio), target, document, items);
    SettingProblems refusals;
    for (SettingProblem& problem : outcome.problems) {
        if (IsRefusal(problem.kind)) refusals.push_back(std::move(problem));
    }
    return refusals;
}

ConfigLoadOutcome LoadConfigForModel(const std::u16string& path, const ConfigTarget& target, ConfigDocument& document,
                                     SettingItemList& items) {
    ConfigLoadOutcome outcome;
    if (const int code = LoadConfigDocument(path, document, &outcome.failure); code != 0) {
        outcome.code = code;
        return outcome;
    }
    return CheckLoadedDocument(document, target, items);
}

ConfigLoadOutcome LoadConfigBytesForModel(const std::string& content, const ConfigTarget& target,
                                          ConfigDocument& document, SettingItemList& items) {
    ConfigLoadOutcome outcome;
    if (const int code = LoadConfigDocumentFromBytes(content, document, &outcome.failure); code != 0) {
        outcome.code = code;
        return outcome;
    }
    return CheckLoadedDocument(document, target, items);
}

ConfigLoadOutcome LoadConfigForModel(const std::u16string& path, std::uint32_t connectedModelKind,
                                     ConfigDocument& document, SettingItemList& items) {
    ConfigTarget target;
    target.modelKind = connectedModelKind;
    return LoadConfigForModel(path, target, document, items);
}

}  // namespace q470
