#include "job_session.h"

#include "command_catalogue.h"

namespace q470 {

JobSession::JobSession(Q470Comm& link, JobWindDown* windDown) : link_(link), windDown_(windDown) {}

ResponseRecordPtr JobSession::SendExpect(const std::string& command, CommandId id, ResponseKind kind,
                                         std::uint32_t timeoutMs) {
    auto record = link_.Execute(command, id, timeoutMs);
    if (!record) Note(ResultNoRecord);
    return record && Note(record->kind) == kind ? std::move(record) : nullptr;
}

ResponseRecordPtr JobSession::Query(CommandId id, ResponseKind kind, std::uint32_t timeoutMs) {
    const char* text = CommandText(id);
    return text ? SendExpect(text, id, kind, timeoutMs) : nullptr;
}

std::int32_t JobSession::Send(CommandId id, std::uint32_t timeoutMs) {
    const char* text = CommandText(id);
    if (!text) return ResultInvalidInput;
    const auto record = link_.Execute(text, id, timeoutMs);
    return Note(record ? record->kind : ResultNoRecord);
}

std::int32_t JobSession::SendSet(CommandId id, std::uint32_t value, std::uint32_t timeoutMs) {
    const std::string command = FormatSetCommand(id, value);
    if (command.empty()) return ResultInvalidInput;
    const auto record = link_.Execute(command, id, timeoutMs);
    return Note(record ? record->kind : ResultNoRecord);
}

bool JobSession::Set(CommandId id, std::uint32_t value) {
    return SendSet(id, value) == RespOk;
}

bool JobSession::SetUart(std::uint32_t baudRate, std::uint8_t stopBits, std::uint8_t parity, std::uint8_t dataBits) {
    return SendExpect(FormatUartSet(baudRate, stopBits, parity, dataBits), CmdUartSet, RespOk) != nullptr;
}

bool JobSession::SetGpioPeriodic(std::uint32_t reportInterval, std::uint8_t sendRemote) {
    return SendExpect(FormatGpioPeriodicSet(reportInterval, sendRemote), CmdGpioPeriodicSet, RespOk) != nullptr;
}

bool JobSession::SetPanId(std::uint16_t panId) {
    return Note(link_.SetPanId(panId)) == RespOk;
}

bool JobSession::SetUserPanId(std::uint16_t userPanId) {
    return Note(link_.SetUserPanId(userPanId)) == RespOk;
}

bool JobSession::SetGpioConfig(const GpioEntry& entry) {
    return Note(link_.SetGpioConfig(entry)) == RespOk;
}

std::int32_t JobSession::Note(std::int32_t kind) {
    if (kind == ResultNotOpen || kind == ResultClosed) linkGone_ = true;
    lastKind_ = kind;
    return kind;
}

}  // namespace q470
