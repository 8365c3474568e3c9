#pragma once

#include <ostream>
#include <string>

#include "config_document.h"
#include "setting_item.h"
#include "temp_folder.h"

namespace q470 {

// Readable failure messages for items and lists.
void PrintTo(const SettingItem& item, std::ostream* os);

namespace test {

// Strict parse of JSON text written in a test; fails the test when the text is not valid JSON.
ConfigDocument ParseJson(const std::u16string& text);

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

}  // namespace test
}  // namespace q470
