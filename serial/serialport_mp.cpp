#include "serialport_mp.h"

#include <algorithm>
#include <stdexcept>

#include <asio/bind_executor.hpp>
#include <asio/buffer.hpp>
#include <asio/error.hpp>
#include <asio/post.hpp>

#include "line_rate.h"
#include "low_latency.h"
#include "port_open_refusal.h"
#ifndef _WIN32
#include "port_lock_file.h"
#endif

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>
#endif

namespace q470 {
namespace {

using asio::serial_port_base;

constexpr const char* kNotSharedMessage = "It seems like that instance is not created from shared_ptr: ";

struct ParityCode {
    std::uint8_t code;
    serial_port_base::parity::type type;
};

constexpr std::array<ParityCode, 3> kParityCodes{{
    {0, serial_port_base::parity::none},
    {1, serial_port_base::parity::odd},
    {2, serial_port_base::parity::even},
}};

struct StopBitsCode {
    std::uint8_t code;
    serial_port_base::stop_bits::type type;
};

constexpr std::array<StopBitsCode, 3> kStopBitsCodes{{
    {0, serial_port_base::stop_bits::one},
    {1, serial_port_base::stop_bits::onepointfive},
    {2, serial_port_base::stop_bits::two},
}};

constexpr std::uint8_t kMinCharacterSize = 5;
constexpr std::uint8_t kMaxCharacterSize = 8;

serial_port_base::character_size CharacterSizeOption(std::uint8_t bits) {
    if (bits < kMinCharacterSize || bits > kMaxCharacterSize) throw std::out_of_range("invalid character_size value");
    return serial_port_base::character_size(bits);
}

// asio reports the platform's error numbers in a category of its own that knows no std::errc
// equivalents; the owner compares with std::errc (permission denied, no such file).
std::error_code PlatformError(const std::error_code& error) {
    if (error.category() == asio::error::get_system_category()) return {error.value(), std::system_category()};
    return error;
}

template <typename Table>
auto LookUp(const Table& table, std::uint8_t code, const char* message) {
    const auto it = std::find_if(table.begin(), table.end(), [code](const auto& row) { return row.code == code; });
    if (it == table.end()) throw std::out_of_range(message);
    return it->type;
}

}  // namespace

CSerialportMP::CSerialportMP(asio::io_context& context) : port_(context), strand_(context) {}

CSerialportMP::~CSerialportMP() {
    Close();
}

void CSerialportMP::SetReadHandler(ReadHandler handler) {
    std::lock_guard<std::mutex> lock(readMutex_);
    readHandler_ = std::move(handler);
}

void CSerialportMP::SetWriteHandler(WriteHandler handler) {
    std::lock_guard<std::mutex> lock(writeMutex_);
    writeHandler_ = std::move(handler);
}

void CSerialportMP::ClearHandlers() {
    SetReadHandler(nullptr);
    SetWriteHandler(nullptr);
}

CSerialportMP::SelfPtr CSerialportMP::Self() {
    try {
        return shared_from_this();
    } catch (const std::bad_weak_ptr& error) {
        throw std::runtime_error(std::string(kNotSharedMessage) + error.what());
    }
}

std::error_code CSerialportMP::Open(const std::string& portName, std::uint32_t baudRate, std::uint8_t characterSize,
                                    std::uint8_t parity, std::uint8_t stopBits) {
    SelfPtr self = Self();
    {
        // Bytes left from an earlier opening belong to a command that already failed; they must not
        // reach the device on this port.
        std::lock_guard<std::mutex> lock(writeMutex_);
        if (!open_) writeQueue_.clear();
    }
    {
        std::lock_guard<std::mutex> lock(portMutex_);
        if (open_) return std::make_error_code(std::errc::device_or_resource_busy);
        if (auto error = OpenPort(portName)) return error;
        try {
            if (auto error = ApplyOptions(baudRate, characterSize, parity, stopBits)) {
                ClosePort();
                return error;
            }
        } catch (const std::out_of_range&) {
            ClosePort();
            throw;
        }
        ++session_;
        open_ = true;
    }
    const std::uint32_t session = session_;
    // In the strand, so the first read completion comes after this has run.
    asio::post(strand_, [self, session] {
        self->StartRead(self, session);
        std::lock_guard<std::mutex> lock(self->writeMutex_);
        self->StartWrite();
    });
    return {};
}

std::error_code CSerialportMP::ChangeLine(std::uint32_t baudRate, std::uint8_t characterSize, std::uint8_t parity,
                                          std::uint8_t stopBits) {
    std::lock_guard<std::mutex> lock(portMutex_);
    if (!open_) return std::make_error_code(std::errc::not_connected);
    if (auto error = ApplyOptions(baudRate, characterSize, parity, stopBits)) return error;
    DiscardDriverBuffers();
    return {};
}

std::error_code CSerialportMP::OpenPort(const std::string& portName) {
    std::error_code error;
#ifndef _WIN32
    // A port that a running program has locked is not even opened: opening a tty can change its lines.
    if ((error = PortLockError(portName))) return error;
#endif
    port_.open(portName, error);
    if (error) return PortOpenRefusal(PlatformError(error), portName);
    if (const auto busy = TakeExclusive()) {
        ReleasePort(error);
        return busy;
    }
    TakeFastReceive();
    DiscardDriverBuffers();
    return {};
}

#ifdef _WIN32

// A COM port is exclusive by itself.
std::error_code CSerialportMP::TakeExclusive() {
    return {};
}

void CSerialportMP::ReleaseExclusive() {}

// The driver's own latency setting applies (the user sets it in the port's properties).
void CSerialportMP::TakeFastReceive() {}

void CSerialportMP::ReleaseFastReceive() {}

void CSerialportMP::DiscardDriverBuffers() {
    ::PurgeComm(port_.native_handle(), PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}

#else

// A tty may be opened by any number of programs; the lock makes it exclusive as a COM port is. It
// comes first, so that a port another program holds is left before anything of it changes.
// TIOCEXCL then keeps out the programs that take no lock (except root's). The exclusive mode
// belongs to the tty, not to this descriptor, and a pseudo-terminal's tty outlives its closing:
// it is taken only where the port did not have it, and ReleaseExclusive gives it back.
std::error_code CSerialportMP::TakeExclusive() {
    const int fd = port_.native_handle();
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        return std::make_error_code(std::errc::device_or_resource_busy);
    }
    int exclusive = 0;
#ifdef TIOCGEXCL
    if (::ioctl(fd, TIOCGEXCL, &exclusive) != 0) exclusive = 0;
#endif
    exclusiveTaken_ = exclusive == 0 && ::ioctl(fd, TIOCEXCL) == 0;
    return {};
}

// After a hang-up the descriptor refuses every request; the tty of a hung-up device then goes with
// its last closing.
void CSerialportMP::ReleaseExclusive() {
    if (exclusiveTaken_) ::ioctl(port_.native_handle(), TIOCNXCL);
    exclusiveTaken_ = false;
}

// Like the exclusive mode, low-latency mode belongs to the port and outlives this opening; it is
// turned off again only where this channel turned it on.
void CSerialportMP::TakeFastReceive() {
    lowLatencyTaken_ = TakeLowLatency(port_.native_handle());
}

void CSerialportMP::ReleaseFastReceive() {
    if (lowLatencyTaken_) ReleaseLowLatency(port_.native_handle());
    lowLatencyTaken_ = false;
}

void CSerialportMP::DiscardDriverBuffers() {
    ::tcflush(port_.native_handle(), TCIOFLUSH);
}

#endif

// The codes are checked before any option is applied; the options then go in the device's order.
std::error_code CSerialportMP::ApplyOptions(std::uint32_t baudRate, std::uint8_t characterSize, std::uint8_t parity,
                                            std::uint8_t stopBits) {
    const auto characterSizeOption = CharacterSizeOption(characterSize);
    const serial_port_base::parity parityOption(LookUp(kParityCodes, parity, "invalid parity value"));
    const serial_port_base::stop_bits stopBitsOption(LookUp(kStopBitsCodes, stopBits, "invalid stop_bits value"));
    std::error_code error;
    port_.set_option(serial_port_base::baud_rate(baudRate), error);
#ifdef __linux__
    // asio knows only the rates with a B… constant; the others go in last, as a number.
    const bool numericRate = error == asio::error::invalid_argument;
    if (numericRate) error.clear();
#endif
    if (!error) port_.set_option(characterSizeOption, error);
    if (!error) port_.set_option(parityOption, error);
    if (!error) port_.set_option(stopBitsOption, error);
    if (!error) port_.set_option(serial_port_base::flow_control(serial_port_base::flow_control::none), error);
#ifdef __linux__
    if (!error && numericRate) return SetLineRate(port_.native_handle(), baudRate);
#endif
    return PlatformError(error);
}

// After a failed option; a port that cannot even be closed is beyond repair.
void CSerialportMP::ClosePort() {
    std::error_code error;
    ReleasePort(error);
    if (error) throw std::system_error(PlatformError(error), "close");
}

// Every closing goes through here, so that the port is left as it was found.
void CSerialportMP::ReleasePort(std::error_code& error) {
    ReleaseFastReceive();
    ReleaseExclusive();
    port_.close(error);
}

void CSerialportMP::Close() {
    // Cleared first, so that the completions of the cancelled operations find the channel closed.
    if (!open_.exchange(false)) return;
    {
        std::lock_guard<std::mutex> lock(portMutex_);
        std::error_code ignored;
#ifdef _WIN32
        ::CancelIoEx(port_.native_handle(), nullptr);
#else
        port_.cancel(ignored);
#endif
        ReleasePort(ignored);
    }
    writing_ = false;
}

void CSerialportMP::Send(const std::uint8_t* bytes, std::uint16_t length) {
    if (bytes == nullptr || length == 0) return;
    std::lock_guard<std::mutex> lock(writeMutex_);
    writeQueue_.insert(writeQueue_.end(), bytes, bytes + length);
    StartWrite();
}

void CSerialportMP::StartRead(const SelfPtr& self, std::uint32_t session) {
    std::lock_guard<std::mutex> lock(portMutex_);
    if (!IsCurrent(session)) return;
    port_.async_read_some(
        asio::buffer(readBuffer_),
        asio::bind_executor(strand_, [self, session](const std::error_code& error, std::size_t count) {
            self->OnReadComplete(self, session, error, count);
        }));
}

void CSerialportMP::OnReadComplete(const SelfPtr& self, std::uint32_t session, const std::error_code& error,
                                   std::size_t count) {
    std::lock_guard<std::mutex> lock(readMutex_);
    if (!IsCurrent(session)) return;
    if (!error) received_.insert(received_.end(), readBuffer_.begin(), readBuffer_.begin() + count);
    std::error_code reported = PlatformError(error);
    if (readHandler_) readHandler_(self, reported, received_, received_.size());
    received_.clear();
    if (!error) StartRead(self, session);
}

// Runs under the write lock.
void CSerialportMP::StartWrite() {
    if (!open_ || writing_) return;
    const std::size_t count = std::min(writeQueue_.size(), kBufferSize);
    if (count == 0) return;
    std::copy_n(writeQueue_.begin(), count, writeBuffer_.begin());
    SelfPtr self = shared_from_this();
    const std::uint32_t session = session_;
    std::lock_guard<std::mutex> lock(portMutex_);
    if (!IsCurrent(session)) return;
    port_.async_write_some(
        asio::buffer(writeBuffer_.data(), count),
        asio::bind_executor(strand_, [self, session](const std::error_code& error, std::size_t written) {
            self->OnWriteComplete(self, session, error, written);
        }));
    writing_ = true;
}

void CSerialportMP::OnWriteComplete(const SelfPtr& self, std::uint32_t session, const std::error_code& error,
                                    std::size_t written) {
    std::lock_guard<std::mutex> lock(writeMutex_);
    if (!IsCurrent(session)) return;
    std::error_code reported = PlatformError(error);
    if (writeHandler_) writeHandler_(self, reported, written);
    if (written != 0 && writeQueue_.size() >= written) {
        writeQueue_.erase(writeQueue_.begin(), writeQueue_.begin() + static_cast<std::ptrdiff_t>(written));
    }
    writing_ = false;
    // A device can answer before this completion runs, so the next command may already be queued
    // behind the write in flight; left there it would wait for yet another Send. After an error the
    // rest stays queued.
    if (!error) StartWrite();
}

}  // namespace q470
