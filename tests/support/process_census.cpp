#include "process_census.h"

#include <dirent.h>

namespace q470::test {
namespace {

std::size_t EntriesIn(const char* folder) {
    std::size_t count = 0;
    if (DIR* dir = ::opendir(folder)) {
        while (const dirent* entry = ::readdir(dir)) count += entry->d_name[0] != '.';
        ::closedir(dir);
    }
    return count;
}

}  // namespace

std::size_t OpenDescriptors() {
    return EntriesIn("/proc/self/fd");
}

std::size_t ProcessThreads() {
    return EntriesIn("/proc/self/task");
}

}  // namespace q470::test
