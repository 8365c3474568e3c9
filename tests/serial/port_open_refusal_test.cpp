#include "port_open_refusal.h"

#include <gtest/gtest.h>

#include <cerrno>

#ifdef _WIN32
#include <windows.h>
#endif

namespace q470 {
namespace {

// A port that another program holds is busy (the busy hint), never a want of rights (the hint to join
// the dialout group); other refusals keep their meaning.
TEST(PortOpenRefusal, APortHeldByAnotherProgramIsBusy) {
    struct Case {
        int code;
        std::errc meaning;
    };
    const Case cases[] = {
#ifdef _WIN32
        {ERROR_ACCESS_DENIED, std::errc::device_or_resource_busy},
        {ERROR_SHARING_VIOLATION, std::errc::device_or_resource_busy},
        {ERROR_LOCK_VIOLATION, std::errc::device_or_resource_busy},
        {ERROR_FILE_NOT_FOUND, std::errc::no_such_file_or_directory},
#else
        {EBUSY, std::errc::device_or_resource_busy},
        {EACCES, std::errc::permission_denied},
        {ENOENT, std::errc::no_such_file_or_directory},
#endif
    };
    for (const auto& c : cases) {
        const std::error_code error = PortOpenRefusal({c.code, std::system_category()});
        EXPECT_EQ(error, c.meaning) << c.code << ": " << error.message();
    }
}

}  // namespace
}  // namespace q470
