#pragma once

#include <string>

#include "setting_item.h"

namespace q470 {

inline constexpr int kWriteOk = 0;
inline constexpr int kWriteOpenFailed = -1;  // the folder is missing, or the file is read-only or a folder
inline constexpr int kWriteFailed = -2;      // writing, syncing or putting the file in place failed

// Write the file form of one model: UTF-8, four spaces per level, CR LF line ends, no line end after the
// final "}". A failed write leaves the file that was there before untouched.
int WriteQ470RConfigFile(const std::u16string& path, const SettingItemList& items);
int WriteKS410ConfigFile(const std::u16string& path, const SettingItemList& items);

// The same forms as the bytes those functions write, for a target that is not a file to replace.
std::string Q470RConfigFileText(const SettingItemList& items);
std::string KS410ConfigFileText(const SettingItemList& items);

}  // namespace q470
