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
#include "response_record.h"

namespace q470 {

class CSerialportMP;

// Links that are open in this process; the I/O service threads run while it is above zero.
extern int g_openLinks;

// The device link: sends one AT command at a time and blocks its caller until the answer that
// completes the command arrives, the time-out passes, or the link is closed.
class Q470Comm {
public:
    using ErrorCallback = std::function<void(Q470Comm*, std::error_code&)>;
    // Sees each frame Execute cuts out of the received bytes (line ends included), on the thread
    // inside Execute, up to and including the one that completes the command.
    using LineObserver = std::function<void(std::string_view frame)>;

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

    // Always returns a record: the completing answer, or ResultTimeout, ResultNotOpen, ResultClosed,
    // ResultNoRecord.
    ResponseRecordPtr Execute(const std::uint8_t* command, std::uint16_t length, CommandId id, std::uint32_t timeoutMs);
    ResponseRecordPtr Execute(const std::string& command, CommandId id, std::uint32_t timeoutMs = kDefaultTimeoutMs);

    // Command builders: the kind of the answer as an int, ResultInvalidInput for a refused PAN ID.
    int SetPanId(std::uint16_t panId);
    int SetUserPanId(std::uint16_t userPanId);
    int SetGpioConfig(const GpioEntry& entry);

    // Waits until no byte has arrived for `quietTime`, so that a trailing line of the last answer
    // (the OK after a query's data line) cannot be taken for the answer to the next command. Gives up
    // after `maxWait`, or when the link is closed or closing; true when the line went quiet. Received
    // bytes are left for the next Execute, which discards them. Not while an Execute runs.
    bool WaitForQuiet(std::chrono::steady_clock::duration quietTime, std::chrono::steady_clock::duration maxWait);

    // Off (empty) unless set; set it only while no Execute runs.
    void SetLineObserver(LineObserver observer);

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
    void AppendReceived(const std::vector<std::uint8_t>& bytes, std::size_t count);
    void DiscardReceived();
    // False when the link is being closed; otherwise moves what arrived into the frame buffer.
    bool WaitForData(std::chrono::steady_clock::time_point deadline);

    std::shared_ptr<CSerialportMP> channel_;
    std::vector<std::uint8_t> receiveBuffer_;  // filled on the I/O threads, capped at kReceiveCap
    std::vector<std::uint8_t> frameBuffer_;    // only touched inside Execute
    std::mutex receiveMutex_;
    std::condition_variable dataCondition_;
    std::atomic<bool> closing_{false};
    std::atomic<bool> dataReady_{false};
    std::chrono::steady_clock::time_point lastReceived_{};  // guarded by receiveMutex_
    std::size_t receiveHighWater_ = 0;                      // guarded by receiveMutex_
    std::atomic<std::size_t> frameHighWater_{0};            // written only inside Execute
    LineObserver lineObserver_;                             // only used inside Execute
    // Whether this link is counted in g_openLinks. It stays set when the channel closes itself after
    // an error without a callback, so the owner's Close still gives the count back.
    bool counted_ = false;
};

}  // namespace q470
