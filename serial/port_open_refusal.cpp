#include "port_open_refusal.h"

#include <algorithm>
#include <array>

#ifdef _WIN32
#include <windows.h>
#endif

namespace q470 {

// On Windows a COM port that another program has open is refused with access denied, which the C++
// library takes for a question of rights; a sharing or a lock violation (as wine reports a port that a
// Linux program holds in exclusive mode) means the same. Elsewhere the platform already says busy.
std::error_code PortOpenRefusal(const std::error_code& refusal) {
#ifdef _WIN32
    constexpr std::array<int, 3> kHeldByAnother{ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION};
    if (refusal.category() == std::system_category() &&
        std::find(kHeldByAnother.begin(), kHeldByAnother.end(), refusal.value()) != kHeldByAnother.end()) {
        return std::make_error_code(std::errc::device_or_resource_busy);
    }
#endif
    return refusal;
}

}  // namespace q470
