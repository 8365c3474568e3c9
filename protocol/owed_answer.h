#pragma once

#include <cstdint>
#include <string_view>

#include "command_id.h"
#include "response_record.h"

namespace q470 {

// A command can be complete before the device has finished answering it: a query is complete on its
// data line, and a talking device still sends its final OK (or ERROR) after it; a restart-type command
// is complete on its OK, and the device announces "+READY" once it has restarted. Left unheard, such a
// line could arrive after the next command has gone out and be taken for that command's answer.
enum class OwedAnswer {
    Nothing,
    FinalLine,  // OK or ERROR
    ReadyLine,  // "+READY" or "+READY DEBUG MODE"
};

// What the device still owes after `completing` ended the command `id`. A quiet device sends no final
// lines, so a query owes nothing there.
OwedAnswer OwedAfter(CommandId id, std::int32_t completingKind, bool deviceQuiet);

// Whether a record of this kind is the line owed.
bool Pays(OwedAnswer owed, std::int32_t kind);

// The device's quiet mode as the exchange of one command shows it: its answer to the quiet-mode query,
// an acknowledged quiet-mode write (AT+QM=1 switches quiet mode on before it would be acknowledged,
// so its silence counts as taken), and a factory reset, which leaves the device talking.
bool QuietModeAfter(bool quiet, CommandId id, std::string_view command, const ResponseRecord& result);

}  // namespace q470
