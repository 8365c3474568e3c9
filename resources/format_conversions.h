#pragma once

#include <string_view>

namespace q470 {

// Whether two printf formats ask for the same arguments: the same conversions ("%s", "%u", "%lld"...) in
// the same order, "%%" counting for none. A translation that asks for others would read arguments that
// were never passed, so it is not used.
bool SameConversions(std::string_view format, std::string_view other);

}  // namespace q470
