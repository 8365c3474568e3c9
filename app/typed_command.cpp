#include "typed_command.h"

namespace q470 {

bool IsSendableCommand(const QString& text) {
    if (text.isEmpty() || text.size() > kMaxTypedCommandLength) return false;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E) return false;
    }
    return true;
}

}  // namespace q470
