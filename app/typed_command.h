#pragma once

#include <QString>
#include <cstddef>
#include <string_view>

#include "command_id.h"

namespace q470 {

// The longest line the traffic view's command field takes, without its CR: longer than any command the
// device takes.
constexpr int kMaxTypedCommandLength = 250;

// What the command catalogue calls a typed command text (without its CR), so that the link knows what
// the command leaves owed (the "+READY" of a restart) and how it changes the device's quiet mode. A
// text the catalogue does not know is one that OK or ERROR ends.
CommandId TypedCommandId(std::string_view text);

// True for a line the field may send as it is: printable ASCII, not empty, no longer than the limit.
bool IsSendableCommand(const QString& text);

}  // namespace q470
