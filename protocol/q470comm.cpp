#include "q470comm.h"

#include <algorithm>

#include "command_catalogue.h"
#include "io_service_exec.h"
#include "response_parser.h"
#include "serialport_mp.h"

namespace q470 {

int g_openLinks = 0;

namespace {

using Clock = std::chrono::steady_clock;

// No frame that could complete a command is shorter.
constexpr std::size_t kMinFrameBytes = 4;

// Links are opened and closed from several threads (the command-line tool drives several ports at
// once); the count and the starting and stopping of the I/O threads change together. Constant
// initialised, so it outlives every link, even one that is itself a static.
std::mutex g_linkCountMutex;

// Collects the thirteen "+GPIOC," lines of the GPIO table query into one record.
class GpioTableAssembly {
public:
    GpioTableAssembly() {
        table_.kind = RespGpioConfig;
        table_.length = kGpioTableSize;
    }

    // A repeated pin replaces its earlier entry but still counts towards the thirteen lines.
    ResponseRecordPtr Add(const ResponseRecord& line) {
        const GpioEntry entry = ReadGpioEntry(line);
        if (entry.pin < kGpioPinCount) WriteGpioEntry(table_, entry.pin, entry);
        if (++count_ < kGpioPinCount) return nullptr;
        return std::make_unique<ResponseRecord>(table_);
    }

private:
    ResponseRecord table_;
    std::size_t count_ = 0;
};

ResponseRecordPtr Completing(CommandId id, ResponseRecordPtr record, GpioTableAssembly& gpio) {
    if (id == CmdGpioConfigQuery) return record->kind == RespGpioConfig ? gpio.Add(*record) : nullptr;
    return CompletesCommand(id, record->kind) ? std::move(record) : nullptr;
}

// An unfinished frame already longer than any frame may be can only end up skipped; keeping its bytes
// would let a device that streams without line ends fill memory for as long as a command waits. A CR
// at the very end is kept: it may begin the next line.
std::size_t SkipOverlongRemainder(const std::vector<std::uint8_t>& frames, std::size_t offset) {
    if (frames.size() - offset <= kMaxFrameLength) return offset;
    return frames.back() == '\r' ? frames.size() - 1 : frames.size();
}

// Works through every complete frame in the buffer and removes what it consumed; stops at the
// completing record, leaving the lines behind it for the next command to discard.
ResponseRecordPtr TakeCompleting(std::vector<std::uint8_t>& frames, CommandId id, GpioTableAssembly& gpio,
                                 const Q470Comm::LineObserver& observer) {
    std::size_t offset = 0;
    ResponseRecordPtr completing;
    while (!completing && frames.size() - offset >= kMinFrameBytes) {
        std::size_t consumed = 0;
        auto record = ExtractFrame(frames.data() + offset, frames.size() - offset, consumed);
        if (observer && consumed > 0) {
            observer(std::string_view(reinterpret_cast<const char*>(frames.data() + offset), consumed));
        }
        offset += consumed;
        if (!record) {
            completing = MakeRecord(ResultNoRecord);
        } else if (consumed == 0) {
            offset = SkipOverlongRemainder(frames, offset);  // the rest is an incomplete frame
            break;
        } else {
            completing = Completing(id, std::move(record), gpio);
        }
    }
    frames.erase(frames.begin(), frames.begin() + static_cast<std::ptrdiff_t>(offset));
    return completing;
}

std::uint32_t ElapsedMs(Clock::time_point start) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    return static_cast<std::uint32_t>(std::min<long long>(elapsed, UINT32_MAX));
}

int KindOf(const ResponseRecordPtr& record) {
    return record ? record->kind : ResultNoRecord;
}

int SendPanId(Q470Comm& link, CommandId id, std::uint16_t panId) {
    if (!IsAcceptedPanId(panId)) return ResultInvalidInput;
    return KindOf(link.Execute(FormatSetCommand(id, panId), id, Q470Comm::kDefaultTimeoutMs));
}

}  // namespace

Q470Comm::Q470Comm() : channel_(std::make_shared<CSerialportMP>()) {
    channel_->SetReadHandler([this](std::shared_ptr<CSerialportMP> channel, std::error_code& error,
                                    const std::vector<std::uint8_t>& bytes,
                                    std::size_t count) { OnRead(std::move(channel), error, bytes, count); });
    channel_->SetWriteHandler([this](std::shared_ptr<CSerialportMP> channel, std::error_code& error,
                                     std::size_t written) { OnWrite(std::move(channel), error, written); });
}

Q470Comm::~Q470Comm() {
    Close();
    // Completions cancelled by Close may still run on the I/O threads of other links.
    channel_->ClearHandlers();
}

std::error_code Q470Comm::Open(const std::string& portName, std::uint32_t baudRate, std::uint8_t characterSize,
                               std::uint8_t parity, std::uint8_t stopBits) {
    std::lock_guard<std::mutex> lock(g_linkCountMutex);
    if (auto error = channel_->Open(portName, baudRate, characterSize, parity, stopBits)) return error;
    closing_ = false;
    if (counted_) return {};
    auto& service = IoServiceExec::Instance();
    if (service.ThreadCount() == 0) {
        try {
            service.Start();
        } catch (...) {
            channel_->Close();
            throw;
        }
    }
    ++g_openLinks;
    counted_ = true;
    return {};
}

void Q470Comm::Close() {
    std::lock_guard<std::mutex> lock(g_linkCountMutex);
    if (channel_->IsOpen()) {
        {
            // Under the mutex, so a waiting Execute cannot test the flag and then miss the wake-up.
            std::lock_guard<std::mutex> receiveLock(receiveMutex_);
            closing_.exchange(true);
        }
        dataCondition_.notify_all();
        channel_->Close();
    }
    if (!counted_) return;
    counted_ = false;
    if (--g_openLinks == 0) IoServiceExec::Instance().Stop();
}

bool Q470Comm::IsOpen() const {
    return channel_->IsOpen();
}

ResponseRecordPtr Q470Comm::Execute(const std::string& command, CommandId id, std::uint32_t timeoutMs) {
    return Execute(reinterpret_cast<const std::uint8_t*>(command.data()), static_cast<std::uint16_t>(command.size()),
                   id, timeoutMs);
}

ResponseRecordPtr Q470Comm::Execute(const std::uint8_t* command, std::uint16_t length, CommandId id,
                                    std::uint32_t timeoutMs) {
    if (!channel_->IsOpen()) return MakeRecord(ResultNotOpen);
    // Close wakes waiters before it closes the channel; a command started in between must not go out.
    if (closing_) return MakeRecord(ResultClosed);
    DiscardReceived();
    if (command != nullptr && length != 0) channel_->Send(command, length);
    const auto start = Clock::now();
    // The command times out once the elapsed whole milliseconds exceed timeoutMs.
    const auto deadline = start + std::chrono::milliseconds(timeoutMs) + std::chrono::milliseconds(1);
    GpioTableAssembly gpio;
    for (;;) {
        if (!WaitForData(deadline)) return MakeRecord(ResultClosed);
        if (auto record = TakeCompleting(frameBuffer_, id, gpio, lineObserver_)) return record;
        if (ElapsedMs(start) > timeoutMs) return MakeRecord(ResultTimeout);
    }
}

// Whatever the device sent before this command, trailing lines of the last one included, is stale.
void Q470Comm::DiscardReceived() {
    {
        std::lock_guard<std::mutex> lock(receiveMutex_);
        receiveBuffer_.clear();
    }
    frameBuffer_.clear();
}

bool Q470Comm::WaitForData(Clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(receiveMutex_);
    dataCondition_.wait_until(lock, deadline, [this] { return dataReady_ || closing_; });
    if (closing_) return false;
    dataReady_ = false;
    frameBuffer_.insert(frameBuffer_.end(), receiveBuffer_.begin(), receiveBuffer_.end());
    receiveBuffer_.clear();
    if (frameBuffer_.size() > frameHighWater_.load(std::memory_order_relaxed)) {
        frameHighWater_.store(frameBuffer_.size(), std::memory_order_relaxed);
    }
    return true;
}

bool Q470Comm::WaitForQuiet(Clock::duration quietTime, Clock::duration maxWait) {
    const auto giveUpAt = Clock::now() + maxWait;
    std::unique_lock<std::mutex> lock(receiveMutex_);
    for (;;) {
        if (closing_ || !channel_->IsOpen()) return false;
        const auto now = Clock::now();
        const auto quietAt = lastReceived_ + quietTime;
        if (now >= quietAt) return true;
        if (now >= giveUpAt) return false;
        // Woken early by arriving bytes (which move quietAt on) and by Close.
        dataCondition_.wait_until(lock, std::min(quietAt, giveUpAt));
    }
}

void Q470Comm::SetLineObserver(LineObserver observer) {
    lineObserver_ = std::move(observer);
}

std::size_t Q470Comm::ReceiveHighWater() {
    std::lock_guard<std::mutex> lock(receiveMutex_);
    return receiveHighWater_;
}

int Q470Comm::SetPanId(std::uint16_t panId) {
    return SendPanId(*this, CmdPanIdSet, panId);
}

int Q470Comm::SetUserPanId(std::uint16_t userPanId) {
    return SendPanId(*this, CmdUserPanIdSet, userPanId);
}

int Q470Comm::SetGpioConfig(const GpioEntry& entry) {
    const std::string command = FormatGpioConfigSet(GpioPinMask(entry.pin), entry.ioMode, entry.pinConfig);
    return KindOf(Execute(command, CmdGpioConfigSet, kDefaultTimeoutMs));
}

void Q470Comm::OnRead(std::shared_ptr<CSerialportMP> channel, std::error_code& error,
                      const std::vector<std::uint8_t>& bytes, std::size_t count) {
    std::unique_lock<std::mutex> lock(receiveMutex_);
    if (error) {
        // A read ended by Close is no news to the owner.
        if (!closing_ && errorCallback) {
            errorCallback(this, error);
        } else {
            channel->Close();
        }
        return;
    }
    dataReady_ = true;
    if (count > 0) lastReceived_ = Clock::now();
    AppendReceived(bytes, count);
    lock.unlock();
    dataCondition_.notify_one();
}

// Bytes beyond the cap are dropped: nobody is taking them.
void Q470Comm::AppendReceived(const std::vector<std::uint8_t>& bytes, std::size_t count) {
    if (count > kReceiveCap || receiveBuffer_.size() > kReceiveCap) return;
    const std::size_t taken = std::min({count, bytes.size(), kReceiveCap - receiveBuffer_.size()});
    receiveBuffer_.insert(receiveBuffer_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(taken));
    receiveHighWater_ = std::max(receiveHighWater_, receiveBuffer_.size());
}

void Q470Comm::OnWrite(std::shared_ptr<CSerialportMP> channel, std::error_code& error, std::size_t /*written*/) {
    if (!error) return;
    if (errorCallback) {
        errorCallback(this, error);
    } else {
        channel->Close();
    }
}

}  // namespace q470
