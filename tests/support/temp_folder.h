#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace q470::test {

// A fresh folder under the system's temporary folder (TMPDIR, or the user's Temp folder on Windows),
// removed with everything in it at the end, read-only files included.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    // Narrow paths for the narrow file functions of tests: the temporary folder's own name is plain ASCII
    // on every system these tests run on; names with other characters go through Path16.
    const std::string& Path() const { return path_; }
    std::string Path(const std::string& name) const;
    // The path as the configuration file functions take it; `name` is UTF-8.
    std::u16string Path16(const std::string& name) const;
    std::vector<std::string> Entries() const;  // names in the folder (UTF-8), sorted

private:
    std::filesystem::path root_;
    std::string path_;
};

}  // namespace q470::test
