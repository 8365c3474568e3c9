#include "config_writer.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "config_test_support.h"
#include "config_writer_items.h"

// Writer cases of Windows: a file there is kept from being replaced by its read-only attribute or by
// another program that holds it open without sharing it.
namespace q470 {
namespace {

using test::FullQ470RItems;

const std::string kOld = "{\"old\": true}";

std::wstring Wide(const std::u16string& path) {
    return {path.begin(), path.end()};
}

TEST(WriteConfigFile, ReadOnlyFileIsNotReplaced) {
    test::TempFolder folder;
    test::WriteBytes(folder.Path("config.json"), kOld);
    ASSERT_TRUE(SetFileAttributesW(Wide(folder.Path16("config.json")).c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_EQ(WriteQ470RConfigFile(folder.Path16("config.json"), FullQ470RItems()), kWriteOpenFailed);
    EXPECT_EQ(test::ReadBytes(folder.Path("config.json")), kOld);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"config.json"});
}

// The new content is complete before the replacement fails, so this is the failed write of Windows: the
// old file stays as it was and the temporary file is gone.
TEST(WriteConfigFile, LockedFileKeepsItsContentAndLeavesNoTemporary) {
    test::TempFolder folder;
    test::WriteBytes(folder.Path("config.json"), kOld);
    const HANDLE lock = CreateFileW(Wide(folder.Path16("config.json")).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);

    EXPECT_EQ(WriteQ470RConfigFile(folder.Path16("config.json"), FullQ470RItems()), kWriteFailed);
    CloseHandle(lock);
    EXPECT_EQ(test::ReadBytes(folder.Path("config.json")), kOld);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"config.json"});
}

}  // namespace
}  // namespace q470
