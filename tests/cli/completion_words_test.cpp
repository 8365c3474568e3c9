// The bash completion offers set's keys and values as q470ctl takes them: the keys of the setting table,
// and for each key with words every value the tool prints and nothing it would refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "setting_table.h"

namespace q470 {
namespace {

// The words the completion echoes for a case label ("set-keys", "set:mode"); a label may share its case
// with others ("set:outdoor | set:quiet").
std::vector<std::string> CompletionWords(const std::string& label) {
    std::ifstream file(Q470_COMPLETION_PATH);
    std::string line;
    while (std::getline(file, line)) {
        const auto close = line.find(") echo \"");
        if (close == std::string::npos) continue;
        std::istringstream labels(line.substr(0, close));
        std::string word;
        bool found = false;
        while (labels >> word) found = found || word == label;
        if (!found) continue;
        const auto start = close + 8;
        std::istringstream words(line.substr(start, line.find('"', start) - start));
        std::vector<std::string> result;
        while (words >> word) result.push_back(word);
        return result;
    }
    return {};
}

TEST(CompletionWords, SetKeysAreTheTables) {
    std::vector<std::string> keys;
    for (const SettingRow& row : SettingRows()) {
        if (row.page == Page::General) keys.emplace_back(row.key);
    }
    EXPECT_EQ(CompletionWords("set-keys"), keys);
}

TEST(CompletionWords, SetValuesAreTheOnesSetTakes) {
    for (const SettingRow& row : SettingRows()) {
        if (row.page != Page::General || row.values == nullptr) continue;
        const std::string key(row.key);
        const std::vector<std::string> offered = CompletionWords("set:" + key);
        // The baud rates come from the help; the test of the completion script compares those.
        if (row.setting == Setting::BaudRate) continue;
        ASSERT_FALSE(offered.empty()) << key;
        for (const std::string& word : offered) EXPECT_TRUE(row.values->Parse(word)) << key << " " << word;
        for (const SettingValue& value : *row.values) {
            if (value.label == nullptr) continue;
            const bool listed = std::find(offered.begin(), offered.end(), value.word) != offered.end();
            EXPECT_TRUE(listed) << key << " " << value.word;
        }
    }
}

}  // namespace
}  // namespace q470
