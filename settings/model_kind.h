#pragma once

#include <cstdint>
#include <string_view>

namespace q470 {

// Kinds 2 and 3 are one family and are treated alike everywhere; only their label differs.
enum ModelKind : std::uint32_t {
    ModelQ470R = 1,
    ModelKs400 = 2,
    ModelKs410 = 3,
};

// The model kind whose name the device answers to AT+MODELNAME? exactly (case-sensitive), or 0.
ModelKind ModelKindFromName(std::string_view modelName);

// The name a device of this kind answers to AT+MODELNAME? ("Q470R", "KELDAN-KS410", "KELDAN-KS400"), or "".
const char* ModelName(std::uint32_t modelKind);

// The label the window shows for a model kind: "Q470R/RX", "KELDAN-KS400" or "KELDAN-KS410".
const char* ModelLabel(std::uint32_t modelKind);

inline bool IsKsFamily(std::uint32_t modelKind) {
    return modelKind == ModelKs400 || modelKind == ModelKs410;
}

}  // namespace q470
