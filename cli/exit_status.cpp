#include "exit_status.h"

#include <array>

namespace q470 {
namespace {

constexpr int kSignalBase = 128;

// Worst first.
constexpr std::array<int, 5> kSeverity{ExitPortFailed, ExitDeviceFailed, ExitFileFailed, ExitUsage, ExitOk};

int Rank(int status) {
    if (status > kSignalBase) return -1;
    for (std::size_t i = 0; i < kSeverity.size(); ++i) {
        if (kSeverity[i] == status) return static_cast<int>(i);
    }
    return 0;  // an unknown status counts as bad as a port failure
}

}  // namespace

int InterruptedStatus(int signal) {
    return kSignalBase + signal;
}

int WorseExitStatus(int a, int b) {
    return Rank(a) <= Rank(b) ? a : b;
}

}  // namespace q470
