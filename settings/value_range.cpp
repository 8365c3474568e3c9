#include "value_range.h"

namespace q470 {

bool operator==(const ValueRange& lhs, const ValueRange& rhs) {
    return lhs.first == rhs.first && lhs.last == rhs.last;
}

bool IsInRanges(std::int64_t value, const std::vector<ValueRange>& ranges) {
    for (const auto& range : ranges) {
        if (value >= range.first && value <= range.last) return true;
    }
    return false;
}

}  // namespace q470
