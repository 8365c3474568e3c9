#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "config_document.h"
#include "setting_item.h"

namespace q470 {

// Readable failure messages for items and lists.
void PrintTo(const SettingItem& item, std::ostream* os);

namespace test {

// Strict parse of JSON text written in a test; fails the test when the text is not valid JSON.
ConfigDocument ParseJson(const std::u16string& text);

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

// Runs `body` in a forked child and returns its result (-128..127), or -1000 when the child did not exit
// normally. For limits and identities that must not reach the test process.
int RunInChild(const std::function<int()>& body);

// A fresh folder under the test temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string Path(const std::string& name) const { return path_ + "/" + name; }
    std::u16string Path16(const std::string& name) const;
    std::vector<std::string> Entries() const;  // names in the folder, sorted

private:
    std::string path_;
};

}  // namespace test
}  // namespace q470
