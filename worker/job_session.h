#pragma once

#include <cstdint>
#include <string>

#include "command_id.h"
#include "job_timeouts.h"
#include "job_wind_down.h"
#include "q470comm.h"
#include "response_record.h"

namespace q470 {

// One job's conversation with the device: one command at a time, each judged by the kind of the
// record that completed it. Keeps every step of a job sequence to one line.
class JobSession {
public:
    // `windDown`, when given, is how the job's owner asks it to stop after the command under way.
    explicit JobSession(Q470Comm& link, JobWindDown* windDown = nullptr);

    // The answer when it is of the expected kind, otherwise nullptr (time-out, closed link, ...).
    ResponseRecordPtr SendExpect(const std::string& command, CommandId id, ResponseKind kind,
                                 std::uint32_t timeoutMs = kJobTimeoutMs);
    // A command without parameters, its text taken from the catalogue.
    ResponseRecordPtr Query(CommandId id, ResponseKind kind, std::uint32_t timeoutMs = kJobTimeoutMs);
    // The kind of whatever completed a command without parameters.
    std::int32_t Send(CommandId id, std::uint32_t timeoutMs = kJobTimeoutMs);
    // The kind of whatever completed a one-parameter set command ("AT+QM=%u\r" and the like).
    std::int32_t SendSet(CommandId id, std::uint32_t value, std::uint32_t timeoutMs = kJobTimeoutMs);

    // Set commands acknowledged with OK.
    bool Set(CommandId id, std::uint32_t value);
    bool SetUart(std::uint32_t baudRate, std::uint8_t stopBits, std::uint8_t parity, std::uint8_t dataBits);
    bool SetGpioPeriodic(std::uint32_t reportInterval, std::uint8_t sendRemote);
    // The link's own builders; a refused PAN ID sends nothing and fails.
    bool SetPanId(std::uint16_t panId);
    bool SetUserPanId(std::uint16_t userPanId);
    bool SetGpioConfig(const GpioEntry& entry);

    // A command found the link closed (ResultNotOpen) or was abandoned because its owner closed it
    // (ResultClosed): the device is gone for this connection.
    bool LinkGone() const { return linkGone_; }
    // The kind of the record that ended the last command (RespOk, RespError, ResultTimeout, ...).
    std::int32_t LastKind() const { return lastKind_; }
    // How many commands have gone out on the link so far.
    std::uint64_t CommandsSent() const { return link_.CommandsSent(); }
    // The owner asked the job to stop after the command under way; nothing when it cannot ask.
    JobWindDown* WindDown() const { return windDown_; }
    bool WindingDown() const { return windDown_ != nullptr && windDown_->Requested(); }

private:
    std::int32_t Note(std::int32_t kind);

    Q470Comm& link_;
    JobWindDown* windDown_;
    bool linkGone_ = false;
    std::int32_t lastKind_ = ResultNoRecord;
};

}  // namespace q470
