#include "modem_settings.h"

#include <array>

namespace q470::sim {
namespace {

struct NamedModel {
    ModemModel model;
    const char* name;
};

constexpr std::array<NamedModel, 3> kModelNames{{
    {ModemModel::Q470R, "Q470R"},
    {ModemModel::KS410, "KELDAN-KS410"},
    {ModemModel::KS400, "KELDAN-KS400"},
}};

constexpr const char* kDefaultFirmware = "1.5.0";

}  // namespace

ModemSettings FactorySettings(ModemModel model, const std::string& firmware) {
    ModemSettings settings;
    settings.model = model;
    settings.firmware = firmware.empty() ? kDefaultFirmware : firmware;
    return settings;
}

std::optional<ModemModel> ModelFromName(const std::string& name) {
    for (const auto& entry : kModelNames) {
        if (name == entry.name) return entry.model;
    }
    return std::nullopt;
}

const char* ModelName(ModemModel model) {
    for (const auto& entry : kModelNames) {
        if (entry.model == model) return entry.name;
    }
    return "";
}

}  // namespace q470::sim
