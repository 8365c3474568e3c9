#include "port_session.h"

namespace q470 {
namespace {

// No byte for this long after the last one, plus two characters' time at the line rate, means the
// device has finished its answer. Far below the pause between two commands a person could make.
constexpr std::chrono::milliseconds kSettleFloor{20};
constexpr std::chrono::milliseconds kSettleMaxWait{500};
constexpr int kSettleCharacters = 2;
constexpr std::int64_t kMicrosecondsPerSecond = 1'000'000;

}  // namespace

PortSession::PortSession(const LineOptions& line) : line_(line) {}

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
    Settle();
    {
        std::lock_guard<std::mutex> lock(resultMutex_);
        result_.reset();
        dropped_ = false;
    }
    worker_.PushJob(job);
    std::unique_lock<std::mutex> lock(resultMutex_);
    resultArrived_.wait(lock, [this] { return result_.has_value() || dropped_; });
    exchanged_ = true;
    return result_;
}

ResponseRecordPtr PortSession::Execute(const std::string& command, CommandId id, std::uint32_t timeoutMs) {
    Settle();
    exchanged_ = true;
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

void PortSession::Settle() {
    // A line that will not go quiet (a chattering device) is not waited for any longer; the next
    // answer is still judged by its kind.
    if (exchanged_) link_.WaitForQuiet(SettleTime(), kSettleMaxWait);
}

std::chrono::microseconds PortSession::SettleTime() const {
    const int bitsPerCharacter = 1 + line_.dataBits + (line_.parity != 0 ? 1 : 0) + (line_.stopBits == 2 ? 2 : 1);
    const std::int64_t characterUs = bitsPerCharacter * kMicrosecondsPerSecond / line_.baudRate;
    return kSettleFloor + std::chrono::microseconds(kSettleCharacters * characterUs);
}

}  // namespace q470
