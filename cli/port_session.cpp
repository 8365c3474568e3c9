#include "port_session.h"

namespace q470 {

PortSession::PortSession(const LineOptions& line) : line_(line) {
    input_.line = ConnectionLine{line.baudRate, line.dataBits, line.parity, line.stopBits};
}

PortSession::~PortSession() {
    Close();
    worker_.StopWorker();
}

std::error_code PortSession::Open(const std::string& port) {
    if (auto error = link_.Open(port, line_.baudRate, line_.dataBits, line_.parity, line_.stopBits)) return error;
    worker_.StartWorker();
    return {};
}

void PortSession::Close() {
    link_.Close();
}

std::optional<std::int32_t> PortSession::RunJob(std::int32_t job) {
    {
        std::lock_guard<std::mutex> lock(resultMutex_);
        result_.reset();
        dropped_ = false;
    }
    worker_.PushJob(job, input_);
    std::unique_lock<std::mutex> lock(resultMutex_);
    resultArrived_.wait(lock, [this] { return result_.has_value() || dropped_; });
    return result_;
}

ResponseRecordPtr PortSession::Execute(const std::string& command, CommandId id, std::uint32_t timeoutMs) {
    return link_.Execute(command, id, timeoutMs);
}

void PortSession::PostJobResult(std::int32_t /*job*/, std::int32_t result) {
    {
        std::lock_guard<std::mutex> lock(resultMutex_);
        result_ = result;
    }
    resultArrived_.notify_all();
}

void PortSession::JobDropped(std::int32_t /*job*/) {
    {
        std::lock_guard<std::mutex> lock(resultMutex_);
        dropped_ = true;
    }
    resultArrived_.notify_all();
}

}  // namespace q470
