#pragma once

#include <cstddef>

namespace q470::test {

// What this process holds, from /proc/self: compared before and after a run to show it left nothing behind.

// Open descriptors; the listing's own descriptor is counted every time, so two counts compare fairly.
std::size_t OpenDescriptors();
// Running threads, this one included.
std::size_t ProcessThreads();

}  // namespace q470::test
