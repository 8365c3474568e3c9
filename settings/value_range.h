#pragma once

#include <cstdint>
#include <vector>

namespace q470 {

// A closed range of allowed values; a single value has first == last.
struct ValueRange {
    std::int64_t first = 0;
    std::int64_t last = 0;
};

bool operator==(const ValueRange& lhs, const ValueRange& rhs);

bool IsInRanges(std::int64_t value, const std::vector<ValueRange>& ranges);

}  // namespace q470
