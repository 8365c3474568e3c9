#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "command_id.h"
#include "line_framer.h"
#include "link_traffic.h"
#include "owed_answer.h"
#include "receive_buffer.h"
#include "response_record.h"

namespace q470 {

class CSerialportMP;

// Links that are open in this process; the I/O service threads run while it is above zero.
extern int g_openLinks;

// The device link: sends one AT command at a time and blocks its caller until the answer that
// completes the command arrives, the time-out passes, or the link is closed.
//
// Locks, in the order they may be taken:
//   g_linkCountMutex (this file's own) guards g_openLinks and the starting and stopping of the I/O
//                threads; Open and Close hold it throughout, and Close takes receiveMutex_ and the
//                channel's port lock inside it (and the I/O service's thread lock when it stops it).
//   the channel's read lock, then receiveMutex_: OnRead runs inside the channel's read lock and takes
//                receiveMutex_, which guards the receive buffer and the flags the data condition waits
//                on (data ready, closing, hung up). The error callback runs with both held when a read
//                fails, and with the channel's write lock held (and receiveMutex_ already released) when
//                a write fails: it must only hand the news on.
// Execute never holds receiveMutex_ while it calls the channel, and the frame buffer, the owed
// answer, the device's quiet mode and the observer belong to the one thread inside Execute (or
// Listen). closing, data ready and hung up are atomics; closing is written under receiveMutex_ so a
// waiter cannot miss Close's wake-up.
class Q470Comm {
public:
    using ErrorCallback = std::function<void(Q470Comm*, std::error_code&)>;

    static constexpr std::size_t kReceiveCap = 1024;
    static constexpr std::uint32_t kDefaultTimeoutMs = 2000;

    Q470Comm();
    ~Q470Comm();
    Q470Comm(const Q470Comm&) = delete;
    Q470Comm& operator=(const Q470Comm&) = delete;

    // Codes are the serial channel's: parity 0 none, 1 odd, 2 even; stop bits 0 one, 1 one and a
    // half, 2 two. Invalid codes throw std::out_of_range.
    std::error_code Open(const std::string& portName, std::uint32_t baudRate, std::uint8_t characterSize,
                         std::uint8_t parity, std::uint8_t stopBits);
    void Close();
    bool IsOpen() const;
    // Other line settings on the open port without closing it (a search through line settings keeps
    // the port to itself meanwhile). The link starts afresh as after Open: what was received, what the
    // last command owed and what the device was like are forgotten.
    std::error_code ChangeLine(std::uint32_t baudRate, std::uint8_t characterSize, std::uint8_t parity,
                               std::uint8_t stopBits);

    // Always returns a record: the completing answer, or ResultTimeout, ResultNotOpen, ResultClosed,
    // ResultNoRecord; ResultBadResponse for a GPIO table the device gave wrong (a pin reported twice
    // with different values, or the answer's end before every pin). ResultClosed also when the device
    // hung up: no answer can come any more.
    //
    // What the last command still owes (its final OK after a query's data line on a talking device,
    // the "+READY" after a restart-type command) is waited for first, at most for that command's own
    // time-out, so that it cannot be taken for this command's answer; then whatever else arrived
    // before this command is discarded.
    ResponseRecordPtr Execute(const std::uint8_t* command, std::uint16_t length, CommandId id, std::uint32_t timeoutMs);
    ResponseRecordPtr Execute(const std::string& command, CommandId id, std::uint32_t timeoutMs = kDefaultTimeoutMs);

    // The same exchange, completed by the device's final line (OK or ERROR) whatever `id` says: a
    // command typed by a person, whose every line up to the final one is wanted. `id` still tells what
    // the command leaves owed (the "+READY" of a restart) and how it changes the quiet mode.
    ResponseRecordPtr ExecuteToFinalLine(const std::string& command, CommandId id, std::uint32_t timeoutMs);

    // Takes in what the device sends for up to `timeoutMs` without sending anything, so that an observer
    // sees lines as they come while no command waits (a console between commands). A line that pays
    // what the last command owed still pays it. False when the link is not open, is closed meanwhile,
    // or the device hung up. Not while an Execute runs.
    bool Listen(std::uint32_t timeoutMs);

    // Command builders: the kind of the answer as an int, ResultInvalidInput for a refused PAN ID.
    int SetPanId(std::uint16_t panId);
    int SetUserPanId(std::uint16_t userPanId);
    int SetGpioConfig(const GpioEntry& entry);

    // The device hung up (or the port failed) while the link was open: a read or a write ended with
    // an error that Close did not cause. Cleared by the next successful Open.
    bool HungUp() const { return hungUp_.load(); }

    // Off (empty) unless set, and then free; set it only while no Execute runs.
    void SetObserver(LinkObserver observer);

    // The most bytes the receive buffer and the frame buffer have held since construction: a long
    // run can tell that neither grew past its bound.
    std::size_t ReceiveHighWater();
    std::size_t FrameHighWater() const { return frameHighWater_.load(std::memory_order_relaxed); }

    // Assigned by the owner before the first Open. Runs on an I/O thread: it must only hand the
    // event on and must not call back into the link.
    ErrorCallback errorCallback;

private:
    void OnRead(std::shared_ptr<CSerialportMP> channel, std::error_code& error, const std::vector<std::uint8_t>& bytes,
                std::size_t count);
    void OnWrite(std::shared_ptr<CSerialportMP> channel, std::error_code& error, std::size_t written);
    void MoveReceivedToFrames();
    void DiscardReceived();
    // False when the link is being closed or the device hung up; otherwise moves what arrived into the
    // frame buffer.
    bool WaitForData(std::chrono::steady_clock::time_point deadline);
    bool ReceiveEnded() const { return closing_ || hungUp_; }
    // Waits for what the last command owes; false when the link closed or the device hung up meanwhile.
    bool PayOwed();
    void NoteCompletion(CommandId id, const std::uint8_t* command, std::uint16_t length, const ResponseRecord& result,
                        std::uint32_t timeoutMs);
    // Sends the command and waits until `complete` turns a line into the record that ends it.
    template <typename Complete>
    ResponseRecordPtr Exchange(const std::uint8_t* command, std::uint16_t length, CommandId id, std::uint32_t timeoutMs,
                               Complete complete);
    // Works through the complete lines received; stops at the one `take` accepts.
    template <typename Take>
    ResponseRecordPtr TakeLines(LinkTraffic traffic, Take take);
    void Observe(LinkTraffic traffic, std::string_view bytes);
    void StartAfresh();

    std::shared_ptr<CSerialportMP> channel_;
    ReceiveBuffer received_;  // filled on the I/O threads, capped at kReceiveCap; guarded by receiveMutex_
    LineFramer frames_;       // only touched inside Execute
    std::mutex receiveMutex_;
    std::condition_variable dataCondition_;
    std::atomic<bool> closing_{false};
    std::atomic<bool> dataReady_{false};
    std::atomic<bool> hungUp_{false};
    std::atomic<std::size_t> frameHighWater_{0};  // written only inside Execute
    LinkObserver observer_;                       // only used inside Execute
    // The device's side of the conversation as this link has seen it; only touched inside Execute.
    bool deviceQuiet_ = false;  // a device of unknown mode is taken to be talking
    OwedAnswer owed_ = OwedAnswer::Nothing;
    std::chrono::steady_clock::time_point owedUntil_{};
    // Whether this link is counted in g_openLinks. It stays set when the channel closes itself after
    // an error without a callback, so the owner's Close still gives the count back.
    bool counted_ = false;
};

}  // namespace q470
