#pragma once

#include <rapidjson/document.h>

#include "setting_item.h"

namespace q470 {

// Fill an empty document with the file form of one model. Every item appends its member(s) in list
// order and nothing is merged, so a command listed twice gives its member twice; commands that the
// model's form has no member for are left out. "UART" always closes "General", and the containers are
// written even when empty. Keys and the model name are referenced, not copied.
void BuildQ470RDocument(const SettingItemList& items, rapidjson::Document& document);
void BuildKS410Document(const SettingItemList& items, rapidjson::Document& document);

}  // namespace q470
