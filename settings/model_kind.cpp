#include "model_kind.h"

#include <array>

namespace q470 {
namespace {

struct ModelName {
    std::string_view name;
    ModelKind kind;
};

// Compared in this order, as the identify job does.
constexpr std::array<ModelName, 3> kModelNames{{
    {"Q470R", ModelQ470R},
    {"KELDAN-KS410", ModelKs410},
    {"KELDAN-KS400", ModelKs400},
}};

}  // namespace

ModelKind ModelKindFromName(std::string_view modelName) {
    for (const auto& entry : kModelNames) {
        if (entry.name == modelName) return entry.kind;
    }
    return static_cast<ModelKind>(0);
}

const char* ModelName(std::uint32_t modelKind) {
    for (const auto& entry : kModelNames) {
        if (entry.kind == modelKind) return entry.name.data();
    }
    return "";
}

const char* ModelLabel(std::uint32_t modelKind) {
    if (modelKind == ModelKs410) return "KELDAN-KS410";
    if (modelKind == ModelKs400) return "KELDAN-KS400";
    return "Q470R/RX";
}

}  // namespace q470
