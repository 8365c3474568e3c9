#pragma once

#include <QString>
#include <vector>

#include "setting_problem.h"

namespace q470 {

enum class NumberStyle {
    Plain,    // an identifier: "1 to 65533"
    Grouped,  // a quantity, its thousands grouped: "1,000 to 2,147,483,647"
};

// The line that follows a refused value's message: "Allowed: 1 to 65533." or
// "Allowed: 0, or 1,000 to 2,147,483,647 ms." `unit` follows the last number when it is not empty.
QString AllowedValuesLine(const std::vector<ValueRange>& ranges, NumberStyle style, const QString& unit = {});

}  // namespace q470
