#include "owed_answer.h"

#include "c_decimal.h"
#include "command_catalogue.h"

namespace q470 {

OwedAnswer OwedAfter(CommandId id, std::int32_t completingKind, bool deviceQuiet) {
    if (IsDataQuery(id) && CompletesCommand(id, completingKind) && !deviceQuiet) return OwedAnswer::FinalLine;
    if (IsRestartLike(id) && completingKind == RespOk) return OwedAnswer::ReadyLine;
    return OwedAnswer::Nothing;
}

bool Pays(OwedAnswer owed, std::int32_t kind) {
    switch (owed) {
        case OwedAnswer::FinalLine:
            return kind == RespOk || kind == RespError;
        case OwedAnswer::ReadyLine:
            return kind == RespReady || kind == RespReadyDebug;
        case OwedAnswer::Nothing:
            break;
    }
    return false;
}

bool QuietModeAfter(bool quiet, CommandId id, std::string_view command, const ResponseRecord& result) {
    switch (id) {
        case CmdQuietModeQuery:
            return result.kind == RespQuietMode ? result.payload[0] != 0 : quiet;
        case CmdQuietModeSet: {
            const auto equals = command.find('=');
            if (equals == std::string_view::npos) return quiet;
            const bool wanted = ParseCDecimal(command.substr(equals + 1)) != 0;
            if (result.kind == RespOk) return wanted;
            return result.kind == ResultTimeout && wanted ? true : quiet;
        }
        case CmdFactoryReset:
            return result.kind == RespOk || result.kind == RespReady || result.kind == RespReadyDebug ? false : quiet;
        default:
            return quiet;
    }
}

}  // namespace q470
