#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace q470::test {
namespace {

namespace fs = std::filesystem;

// UTF-8 names as paths and back: the plain narrow strings of std::filesystem are the ANSI code page on
// Windows.
fs::path FromUtf8(const std::string& name) {
    return fs::u8path(name);
}

std::string ToUtf8(const fs::path& path) {
    return path.u8string();
}

constexpr int kCreateAttempts = 100;

}  // namespace

TempFolder::TempFolder() {
    std::error_code error;
    const fs::path base = fs::temp_directory_path(error);
    EXPECT_FALSE(error) << "no temporary folder: " << error.message();
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const fs::path candidate = base / ("q470-test-" + std::to_string(random() % 1000000000));
        if (fs::create_directory(candidate, error)) {
            root_ = candidate;
            break;
        }
    }
    EXPECT_FALSE(root_.empty()) << "cannot create a folder in " << base;
    path_ = ToUtf8(root_);
}

TempFolder::~TempFolder() {
    if (root_.empty()) return;
    std::error_code ignored;
    // Windows does not delete a read-only file; POSIX needs a writable folder to delete in it.
    for (fs::recursive_directory_iterator it(root_, ignored), end; !ignored && it != end; it.increment(ignored)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(root_, ignored);
}

std::string TempFolder::Path(const std::string& name) const {
    return name.empty() ? path_ : ToUtf8(root_ / FromUtf8(name));
}

std::u16string TempFolder::Path16(const std::string& name) const {
    return (name.empty() ? root_ : root_ / FromUtf8(name)).u16string();
}

std::vector<std::string> TempFolder::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root_)) names.push_back(ToUtf8(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace q470::test
