#pragma once

#include <vector>

class QWidget;

namespace q470 {

// Makes Tab visit `widgets` in the order given, each right after the one before it. Where the chain went
// on after the last of them stays as it was.
void SetTabChain(const std::vector<QWidget*>& widgets);

}  // namespace q470
