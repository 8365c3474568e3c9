#include "q470comm.h"

#include <algorithm>

#include "command_catalogue.h"
#include "gpio_table_assembly.h"
#include "io_service_exec.h"
#include "response_parser.h"
#include "serialport_mp.h"

namespace q470 {

int g_openLinks = 0;

namespace {

using Clock = std::chrono::steady_clock;

// Links are opened and closed from several threads (the command-line tool drives several ports at
// once); the count and the starting and stopping of the I/O threads change together. Constant
// initialised, so it outlives every link, even one that is itself a static.
std::mutex g_linkCountMutex;

// The record that ends the command, or nullptr to go on waiting. The GPIO table query collects its
// lines first; a final line before the table is whole means the device has ended its answer without it.
ResponseRecordPtr Completing(CommandId id, ResponseRecordPtr record, GpioTableAssembly& gpio) {
    if (id != CmdGpioConfigQuery) return CompletesCommand(id, record->kind) ? std::move(record) : nullptr;
    if (record->kind == RespOk || record->kind == RespError) return MakeRecord(ResultBadResponse);
    if (record->kind != RespGpioConfig) return nullptr;
    switch (gpio.Add(ReadGpioEntry(*record))) {
        case GpioTableAssembly::Progress::Complete:
            return gpio.Table();
        case GpioTableAssembly::Progress::Conflict:
            return MakeRecord(ResultBadResponse);
        case GpioTableAssembly::Progress::Incomplete:
            break;
    }
    return nullptr;
}

std::uint32_t ElapsedMs(Clock::time_point start) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    return static_cast<std::uint32_t>(std::min<long long>(elapsed, UINT32_MAX));
}

// What never became a line, without the line ends before it.
std::string_view AfterLineEnds(std::string_view bytes) {
    const auto first = bytes.find_first_not_of("\r\n");
    return first == std::string_view::npos ? std::string_view() : bytes.substr(first);
}

bool IsAnnouncement(std::int32_t kind) {
    return kind == RespReady || kind == RespReadyDebug;
}

int KindOf(const ResponseRecordPtr& record) {
    return record ? record->kind : ResultNoRecord;
}

int SendPanId(Q470Comm& link, CommandId id, std::uint16_t panId) {
    if (!IsAcceptedPanId(panId)) return ResultInvalidInput;
    return KindOf(link.Execute(FormatSetCommand(id, panId), id, Q470Comm::kDefaultTimeoutMs));
}

}  // namespace

Q470Comm::Q470Comm() : channel_(std::make_shared<CSerialportMP>()), received_(kReceiveCap) {
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
    StartAfresh();
    hungUp_ = false;
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

// A new connection: nothing is owed, and what the device is like is found out again. What it said to
// the last restart stays: its "+READY" may yet come on the new connection.
void Q470Comm::StartAfresh() {
    std::lock_guard<std::mutex> exchange(exchangeMutex_);
    {
        std::lock_guard<std::mutex> receiveLock(receiveMutex_);
        received_.Reset();
    }
    frames_ = LineFramer();
    owed_ = OwedAnswer::Nothing;
    outOfStep_ = false;
    deviceQuiet_ = false;
}

std::error_code Q470Comm::ChangeLine(std::uint32_t baudRate, std::uint8_t characterSize, std::uint8_t parity,
                                     std::uint8_t stopBits) {
    if (auto error = channel_->ChangeLine(baudRate, characterSize, parity, stopBits)) return error;
    StartAfresh();
    return {};
}

void Q470Comm::Close() {
    std::lock_guard<std::mutex> lock(g_linkCountMutex);
    {
        // Under the mutex, so a waiting Execute cannot test the flag and then miss the wake-up. Also
        // when the channel has already closed itself after a hang-up: a waiter must still end now.
        std::lock_guard<std::mutex> receiveLock(receiveMutex_);
        closing_.exchange(true);
    }
    dataCondition_.notify_all();
    channel_->Close();
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
    GpioTableAssembly gpio;
    return Exchange(command, length, id, timeoutMs,
                    [&](ResponseRecordPtr record) { return Completing(id, std::move(record), gpio); });
}

ResponseRecordPtr Q470Comm::ExecuteToFinalLine(const std::string& command, CommandId id, std::uint32_t timeoutMs) {
    return Exchange(reinterpret_cast<const std::uint8_t*>(command.data()), static_cast<std::uint16_t>(command.size()),
                    id, timeoutMs, [](ResponseRecordPtr record) {
                        const bool final = record->kind == RespOk || record->kind == RespError;
                        return final ? std::move(record) : nullptr;
                    });
}

template <typename Complete>
ResponseRecordPtr Q470Comm::Exchange(const std::uint8_t* command, std::uint16_t length, CommandId id,
                                     std::uint32_t timeoutMs, Complete complete) {
    std::lock_guard<std::mutex> exchange(exchangeMutex_);
    const bool restart = IsRestartLike(id);
    if (restart) lastRestart_ = RestartNews{id, ResultNotOpen, false, false};
    const auto ended = [&](std::int32_t kind) {
        if (restart) lastRestart_.answer = kind;
        return MakeRecord(kind);
    };
    if (!channel_->IsOpen()) return ended(ResultNotOpen);
    // Close wakes waiters before it closes the channel; a command started in between must not go out,
    // and neither must one to a device that has hung up.
    if (ReceiveEnded() || !PayOwed()) return ended(ResultClosed);
    if (outOfStep_) return ended(ResultOutOfStep);
    DiscardReceived();
    // An announcement that came before this command is not this command's.
    if (restart) lastRestart_.announced = false;
    if (command != nullptr && length != 0) {
        lastRefused_ = false;
        ++commandsSent_;
        Observe(LinkTraffic::Sent, std::string_view(reinterpret_cast<const char*>(command), length), Clock::now());
        channel_->Send(command, length);
    }
    const auto start = Clock::now();
    // The command times out once the elapsed whole milliseconds exceed timeoutMs.
    const auto deadline = start + std::chrono::milliseconds(timeoutMs) + std::chrono::milliseconds(1);
    for (;;) {
        if (!WaitForData(deadline)) return ended(ResultClosed);
        auto completing = TakeLines(LinkTraffic::Answer, [&](ResponseRecordPtr record) {
            if (record->kind == RespError) {
                lastRefused_ = true;
                if (restart) lastRestart_.refused = true;
            }
            return complete(std::move(record));
        });
        if (!completing && ElapsedMs(start) > timeoutMs) {
            completing = MakeRecord(ResultTimeout);
            // A partial answer, as far as it came.
            Observe(LinkTraffic::Unfinished, AfterLineEnds(frames_.Pending()), frames_.LastArrival());
        }
        if (completing) {
            NoteCompletion(id, command, length, *completing, timeoutMs);
            return completing;
        }
    }
}

template <typename Take>
ResponseRecordPtr Q470Comm::TakeLines(LinkTraffic traffic, Take take) {
    // Only an observer needs the bytes; without one, taking lines copies nothing.
    std::string taken;
    std::string* const keep = observer_ ? &taken : nullptr;
    Clock::time_point arrived{};
    while (auto record = frames_.Next(keep, &arrived)) {
        Observe(record->kind == ResultTooLong ? LinkTraffic::Unfinished : traffic, taken, arrived);
        // However it is taken in (an answer, an owed line, stale, heard), a restart's announcement.
        if (IsAnnouncement(record->kind)) lastRestart_.announced = true;
        if (auto accepted = take(std::move(record))) return accepted;
    }
    Observe(LinkTraffic::Unfinished, taken, arrived);  // an overlong line's bytes dropped as they came
    return nullptr;
}

bool Q470Comm::Listen(std::uint32_t timeoutMs) {
    std::lock_guard<std::mutex> exchange(exchangeMutex_);
    if (!channel_->IsOpen() || ReceiveEnded()) return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (!WaitForData(deadline)) return false;
        TakeLines(LinkTraffic::Heard, [this](ResponseRecordPtr record) {
            if (Pays(owed_, record->kind)) owed_ = OwedAnswer::Nothing;
            return ResponseRecordPtr();
        });
        if (Clock::now() >= deadline) return true;
    }
}

bool Q470Comm::PayOwed(Clock::time_point limit) {
    while (owed_ != OwedAnswer::Nothing) {
        const auto paid = TakeLines(LinkTraffic::Owed, [this](ResponseRecordPtr record) {
            return Pays(owed_, record->kind) ? std::move(record) : nullptr;
        });
        const auto now = Clock::now();
        if (paid) {
            owed_ = OwedAnswer::Nothing;
        } else if (now >= owedUntil_) {
            // Not paid within the owing command's own time-out. A device that has not ended its answer
            // by then is broken; should it end it later, its final line would answer whatever goes out
            // next. A "+READY" that never comes only means the device does not announce its restarts.
            if (owed_ == OwedAnswer::FinalLine && !giveUpLateFinalLines_) outOfStep_ = true;
            owed_ = OwedAnswer::Nothing;
        } else if (now >= limit) {
            return true;
        } else if (!WaitForData(std::min(owedUntil_, limit))) {
            return false;
        }
    }
    return true;
}

void Q470Comm::PayOwedFinalLine() {
    std::lock_guard<std::mutex> exchange(exchangeMutex_);
    if (owed_ != OwedAnswer::FinalLine || !channel_->IsOpen() || ReceiveEnded()) return;
    PayOwed();
}

void Q470Comm::AwaitOwed(std::chrono::milliseconds limit) {
    std::lock_guard<std::mutex> exchange(exchangeMutex_);
    if (owed_ == OwedAnswer::Nothing || !channel_->IsOpen() || ReceiveEnded()) return;
    PayOwed(Clock::now() + limit);
}

void Q470Comm::GiveUpLateFinalLines() {
    std::lock_guard<std::mutex> exchange(exchangeMutex_);
    giveUpLateFinalLines_ = true;
}

Q470Comm::RestartNews Q470Comm::LastRestart() {
    std::lock_guard<std::mutex> exchange(exchangeMutex_);
    return lastRestart_;
}

void Q470Comm::NoteCompletion(CommandId id, const std::uint8_t* command, std::uint16_t length,
                              const ResponseRecord& result, std::uint32_t timeoutMs) {
    const std::string_view text(reinterpret_cast<const char*>(command), command ? length : 0);
    deviceQuiet_ = QuietModeAfter(deviceQuiet_, id, text, result);
    owed_ = OwedAfter(id, result.kind, deviceQuiet_);
    owedUntil_ = Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (IsRestartLike(id)) lastRestart_.answer = result.kind;
}

void Q470Comm::Observe(LinkTraffic traffic, std::string_view bytes, Clock::time_point when) {
    if (!observer_ || bytes.empty()) return;
    // Line ends alone, the gaps between lines, are no traffic of their own.
    if (traffic != LinkTraffic::Sent && bytes.find_first_not_of("\r\n") == std::string_view::npos) return;
    observer_(traffic, bytes, when);
}

// Whatever the device sent before this command and did not owe, noise and unsolicited lines, is stale.
// An observer still sees it go, and a restart's announcement among it still counts.
void Q470Comm::DiscardReceived() {
    {
        std::lock_guard<std::mutex> lock(receiveMutex_);
        MoveReceivedToFrames();
    }
    TakeLines(LinkTraffic::Stale, [](ResponseRecordPtr) { return ResponseRecordPtr(); });
    Observe(LinkTraffic::Unfinished, AfterLineEnds(frames_.Pending()), frames_.LastArrival());
    // A line that has begun is stale too: what of it still comes has lost its CR LF and is noise.
    frames_.Clear();
}

// Under the receive mutex.
void Q470Comm::MoveReceivedToFrames() {
    const auto taken = received_.Take();
    if (taken.breakUnfinished) frames_.BreakUnfinished();
    std::size_t from = 0;
    for (const auto& piece : taken.pieces) {
        const std::size_t end = std::min(piece.end, taken.bytes.size());
        if (end <= from) continue;
        frames_.Append(taken.bytes.data() + from, end - from, piece.arrived);
        from = end;
    }
    if (from < taken.bytes.size()) frames_.Append(taken.bytes.data() + from, taken.bytes.size() - from, Clock::now());
}

bool Q470Comm::WaitForData(Clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(receiveMutex_);
    dataCondition_.wait_until(lock, deadline, [this] { return dataReady_ || ReceiveEnded(); });
    if (ReceiveEnded()) return false;
    dataReady_ = false;
    MoveReceivedToFrames();
    if (frames_.Size() > frameHighWater_.load(std::memory_order_relaxed)) {
        frameHighWater_.store(frames_.Size(), std::memory_order_relaxed);
    }
    return true;
}

void Q470Comm::SetObserver(LinkObserver observer) {
    std::lock_guard<std::mutex> exchange(exchangeMutex_);
    observer_ = std::move(observer);
}

std::size_t Q470Comm::ReceiveHighWater() {
    std::lock_guard<std::mutex> lock(receiveMutex_);
    return received_.HighWater();
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
        // A read ended by Close is no news to the owner. Otherwise no byte can come any more: a waiting
        // Execute ends at once instead of running out its time-out.
        if (!closing_) hungUp_ = true;
        if (!closing_ && errorCallback) {
            errorCallback(this, error);
        } else {
            channel->Close();
        }
        lock.unlock();
        dataCondition_.notify_all();
        return;
    }
    // A waiting command can only be completed by a whole line, so it is woken when a line end comes in
    // (or the buffer fills), not for every byte of a line that a slow line delivers one by one.
    // Stamped here, as the bytes come in: a line taken in later keeps the time it arrived.
    const bool lineEnd = received_.Append(bytes.data(), std::min(count, bytes.size()), Clock::now());
    if (!lineEnd && received_.Size() < kReceiveCap / 2) return;
    dataReady_ = true;
    lock.unlock();
    dataCondition_.notify_one();
}

void Q470Comm::OnWrite(std::shared_ptr<CSerialportMP> channel, std::error_code& error, std::size_t /*written*/) {
    if (!error) return;
    if (!closing_) {
        std::lock_guard<std::mutex> lock(receiveMutex_);
        hungUp_ = true;
    }
    dataCondition_.notify_all();
    if (errorCallback) {
        errorCallback(this, error);
    } else {
        channel->Close();
    }
}

}  // namespace q470
