#pragma once

#include <QString>

namespace q470 {

// The longest line the traffic view's command field takes, without its CR: longer than any command the
// device takes.
constexpr int kMaxTypedCommandLength = 250;

// True for a line the field may send as it is: printable ASCII, not empty, no longer than the limit.
bool IsSendableCommand(const QString& text);

}  // namespace q470
