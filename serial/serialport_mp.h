#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

#include <asio/io_context.hpp>
#include <asio/io_context_strand.hpp>
#include <asio/serial_port.hpp>

#include "io_service_exec.h"

namespace q470 {

// An asynchronous serial channel: keeps one read outstanding while open, writes queued bytes, and
// reports every completed read and write to its owner's handlers on an I/O thread. It must be owned
// by a std::shared_ptr, because every pending operation holds a reference to it.
//
// Locks, and the order in which they may be taken (never the other way round):
//   readMutex_   guards the received bytes and the read handler. Held for the whole of a read
//                completion, so the read handler runs with it held (the device link's OnRead takes
//                its receive mutex inside: read lock, then receive mutex).
//   writeMutex_  guards the write queue, the write buffer and the start of a write, and the write
//                handler, which runs with it held (the link's OnWrite takes its receive mutex inside
//                for a moment: write lock, then receive mutex).
//   portMutex_   serialises the calls on the port object: open, options, starting a read or a write,
//                cancel, close. Innermost: taken under the read lock (a read restarting) and under
//                the write lock (a write starting), never the other way round.
// Close takes only portMutex_; the open and writing flags are atomics read without a lock. The strand
// runs one completion of this channel at a time.
class CSerialportMP : public std::enable_shared_from_this<CSerialportMP> {
public:
    using ReadHandler = std::function<void(std::shared_ptr<CSerialportMP>, std::error_code&,
                                           const std::vector<std::uint8_t>&, std::size_t)>;
    using WriteHandler = std::function<void(std::shared_ptr<CSerialportMP>, std::error_code&, std::size_t)>;

    static constexpr std::size_t kBufferSize = 1024;

    explicit CSerialportMP(asio::io_context& context = IoServiceExec::Instance().Context());
    virtual ~CSerialportMP();
    CSerialportMP(const CSerialportMP&) = delete;
    CSerialportMP& operator=(const CSerialportMP&) = delete;

    // characterSize 5..8; parity 0 none, 1 odd, 2 even; stopBits 0 one, 1 one and a half, 2 two.
    // Another code throws std::out_of_range. A port held by anyone else (a lock, exclusive mode, a
    // lock file of a running program, on Windows another opening) gives an error equal to
    // std::errc::device_or_resource_busy, as an open channel does.
    std::error_code Open(const std::string& portName, std::uint32_t baudRate, std::uint8_t characterSize,
                         std::uint8_t parity, std::uint8_t stopBits);
    void Close();
    bool IsOpen() const { return open_.load(); }
    // Sets other line settings on the open port, codes as for Open, and drops what the driver holds:
    // bytes taken in at the old settings are noise at the new ones. std::errc::not_connected when the
    // channel is closed.
    std::error_code ChangeLine(std::uint32_t baudRate, std::uint8_t characterSize, std::uint8_t parity,
                               std::uint8_t stopBits);
    // Queues the bytes and starts a write unless one is in flight; at most kBufferSize go per write,
    // and what stays queued follows as each write completes.
    void Send(const std::uint8_t* bytes, std::uint16_t length);

    // Set by the owner before Open.
    void SetReadHandler(ReadHandler handler);
    void SetWriteHandler(WriteHandler handler);
    // Drops both handlers once no completion is running them; the owner calls it before it goes
    // away, since pending operations may keep the channel alive longer than its owner.
    void ClearHandlers();

private:
    using SelfPtr = std::shared_ptr<CSerialportMP>;

    SelfPtr Self();
    std::error_code OpenPort(const std::string& portName);
    std::error_code ApplyOptions(std::uint32_t baudRate, std::uint8_t characterSize, std::uint8_t parity,
                                 std::uint8_t stopBits);
    std::error_code TakeExclusive();
    void ReleaseExclusive();
    void TakeFastReceive();
    void ReleaseFastReceive();
    void DiscardDriverBuffers();
    void ClosePort();
    void ReleasePort(std::error_code& error);
    bool IsCurrent(std::uint32_t session) const { return open_ && session == session_; }

    void StartRead(const SelfPtr& self, std::uint32_t session);
    void OnReadComplete(const SelfPtr& self, std::uint32_t session, const std::error_code& error, std::size_t count);
    void StartWrite();
    void OnWriteComplete(const SelfPtr& self, std::uint32_t session, const std::error_code& error, std::size_t written);

    // Read by every thread without a lock.
    std::atomic<bool> open_{false};
    // Counts openings; a completion of an earlier opening (cancelled by Close) that runs after a
    // reopen must not reach the handlers.
    std::atomic<std::uint32_t> session_{0};
    std::vector<std::uint8_t> received_;
    std::array<std::uint8_t, kBufferSize> readBuffer_{};
    std::vector<std::uint8_t> writeQueue_;
    std::array<std::uint8_t, kBufferSize> writeBuffer_{};
    std::atomic<bool> writing_{false};  // cleared by Close without the write lock
    std::mutex readMutex_;
    std::mutex writeMutex_;
    // Serialises the calls on the port object itself: Close runs on the owner's thread while the
    // read loop restarts on an I/O thread.
    std::mutex portMutex_;
    asio::serial_port port_;
    bool exclusiveTaken_ = false;   // this channel put the port in exclusive mode; under portMutex_
    bool lowLatencyTaken_ = false;  // this channel turned the driver's low-latency mode on; likewise
    asio::io_context::strand strand_;
    ReadHandler readHandler_;
    WriteHandler writeHandler_;
};

}  // namespace q470
