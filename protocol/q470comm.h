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
//   exchangeMutex_ (taken inside g_linkCountMutex by Open, never while receiveMutex_ is held): one
//                conversation with the device at a time. Execute, Listen and the waits for what a
//                command still owes hold it throughout, so that a job worker taking in a query's last
//                line after its job cannot meet the owner's own command; it guards the frame buffer, the
//                owed answer, the device's quiet mode, the restart news and the observer.
// Execute never holds receiveMutex_ while it calls the channel. closing, data ready and hung up are
// atomics; closing is written under receiveMutex_ so a waiter cannot miss Close's wake-up.
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
    // ResultNoRecord, ResultOutOfStep; ResultBadResponse for a GPIO table the device gave wrong (a pin
    // reported twice with different values, or the answer's end before every pin). ResultClosed also
    // when the device hung up: no answer can come any more.
    //
    // What the last command still owes (its final OK after a query's data line on a talking device,
    // the "+READY" after a restart-type command) is waited for first, at most for that command's own
    // time-out, so that it cannot be taken for this command's answer; then whatever else arrived
    // before this command is discarded. A final line that has not come by then never will, or will
    // come when it can no longer be told from the answer to this command: the link is out of step,
    // and this command and every later one fail with ResultOutOfStep without being sent, until the
    // link starts afresh (Open, ChangeLine).
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

    // Takes in the final line the last command still owes (a query's OK on a talking device), waiting
    // at most until that command's own time-out ends: it is seen when it comes, not when the next
    // command goes out. Nothing to do when a "+READY" or nothing is owed. Not while an Execute runs.
    void PayOwedFinalLine();
    // Waits for whatever the last command still owes for at most `limit` (and at most until that
    // command's own time-out ends), taking in what comes meanwhile.
    void AwaitOwed(std::chrono::milliseconds limit);
    // A device watched by a person (a console) may leave a final line owed, as a quiet device does
    // with every query: one that has not come by its time-out is given up, and the next command goes.
    void GiveUpLateFinalLines();
    // An owed final line never came: nothing is sent until the link starts afresh. Any thread.
    bool OutOfStep() const { return outOfStep_.load(); }

    // What the device said to the last restart-type command sent (ATZ, AT&F, AT+ASSOCCLR): the kind of
    // the record that ended it (RespOk, RespReady, ResultTimeout, ...), whether an ERROR came while it
    // waited (which does not end it), and whether its "+READY" (or "+READY DEBUG MODE") has come in
    // since it went out, before or after the link was opened again. `command` is CmdEnd before the
    // first.
    struct RestartNews {
        CommandId command = CmdEnd;
        std::int32_t answer = ResultNoRecord;
        bool refused = false;
        bool announced = false;
    };
    RestartNews LastRestart();
    // The device answered ERROR to the last command sent, whether or not that ended the command (a
    // restart-type command waits on after one). Any thread.
    bool LastRefused() const { return lastRefused_.load(); }
    // How many commands have gone out on this link: a caller tells by it whether its command was sent
    // (a link that has hung up sends nothing). Any thread.
    std::uint64_t CommandsSent() const { return commandsSent_.load(); }

    // Command builders: the kind of the answer as an int, ResultInvalidInput for a refused PAN ID.
    int SetPanId(std::uint16_t panId);
    int SetUserPanId(std::uint16_t userPanId);
    int SetGpioConfig(const GpioEntry& entry);

    // The device hung up (or the port failed) while the link was open: a read or a write ended with
    // an error that Close did not cause. Cleared by the next successful Open.
    bool HungUp() const { return hungUp_.load(); }

    // Off (empty) unless set, and then free.
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
    // Waits for what the last command owes, until it comes, the owing command's time-out ends (then
    // an owed final line puts the link out of step) or `limit` passes (then it stays owed); false when
    // the link closed or the device hung up meanwhile.
    bool PayOwed(std::chrono::steady_clock::time_point limit = std::chrono::steady_clock::time_point::max());
    void NoteCompletion(CommandId id, const std::uint8_t* command, std::uint16_t length, const ResponseRecord& result,
                        std::uint32_t timeoutMs);
    // Sends the command and waits until `complete` turns a line into the record that ends it.
    template <typename Complete>
    ResponseRecordPtr Exchange(const std::uint8_t* command, std::uint16_t length, CommandId id, std::uint32_t timeoutMs,
                               Complete complete);
    // Works through the complete lines received; stops at the one `take` accepts.
    template <typename Take>
    ResponseRecordPtr TakeLines(LinkTraffic traffic, Take take);
    void Observe(LinkTraffic traffic, std::string_view bytes, std::chrono::steady_clock::time_point when);
    void StartAfresh();

    std::shared_ptr<CSerialportMP> channel_;
    ReceiveBuffer received_;  // filled on the I/O threads, capped at kReceiveCap; guarded by receiveMutex_
    LineFramer frames_;       // guarded by exchangeMutex_
    std::mutex exchangeMutex_;
    std::mutex receiveMutex_;
    std::condition_variable dataCondition_;
    std::atomic<bool> closing_{false};
    std::atomic<bool> dataReady_{false};
    std::atomic<bool> hungUp_{false};
    std::atomic<std::size_t> frameHighWater_{0};  // written only under exchangeMutex_
    LinkObserver observer_;                       // guarded by exchangeMutex_
    // The device's side of the conversation as this link has seen it; guarded by exchangeMutex_.
    bool deviceQuiet_ = false;  // a device of unknown mode is taken to be talking
    OwedAnswer owed_ = OwedAnswer::Nothing;
    std::chrono::steady_clock::time_point owedUntil_{};
    std::atomic<bool> outOfStep_{false};          // written under exchangeMutex_
    std::atomic<bool> lastRefused_{false};        // written under exchangeMutex_
    std::atomic<std::uint64_t> commandsSent_{0};  // written under exchangeMutex_
    bool giveUpLateFinalLines_ = false;
    RestartNews lastRestart_;
    // Whether this link is counted in g_openLinks. It stays set when the channel closes itself after
    // an error without a callback, so the owner's Close still gives the count back.
    bool counted_ = false;
};

}  // namespace q470
