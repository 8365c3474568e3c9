#include "output_file.h"

#include <cerrno>

#include "argument_path.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "narrow_text.h"
#endif

namespace q470 {
namespace {

std::error_code LastError() {
    return {errno != 0 ? errno : EIO, std::generic_category()};
}

#ifndef _WIN32

std::error_code Canceled() {
    return std::make_error_code(std::errc::operation_canceled);
}

bool Asked(const std::function<bool()>& stopped) {
    return stopped && stopped();
}

// How long one wait lasts before the stop is looked at again.
constexpr std::chrono::milliseconds kWaitStep{20};
// At most this much per write: a pipe that shows room takes it without blocking.
constexpr std::size_t kPiece = 4096;
constexpr mode_t kNewFileMode = 0666;

bool IsNamedPipe(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode);
}

#endif

}  // namespace

OutputFile::~OutputFile() {
    Close();
}

#ifdef _WIN32

std::error_code OutputFile::Open(const std::string& argument, bool append, const std::function<bool()>& /*stopped*/) {
    const std::u16string path = PathFromArgument(argument);
    const int flags = _O_WRONLY | _O_CREAT | _O_BINARY | (append ? _O_APPEND : 0);
    if (const errno_t error =
            _wsopen_s(&fd_, reinterpret_cast<const wchar_t*>(path.c_str()), flags, _SH_DENYNO, _S_IREAD | _S_IWRITE);
        error != 0) {
        fd_ = -1;
        return {error, std::generic_category()};
    }
    return {};
}

std::error_code OutputFile::Write(std::string_view bytes, const std::function<bool()>& /*stopped*/) {
    while (!bytes.empty()) {
        const int written = _write(fd_, bytes.data(), static_cast<unsigned>(bytes.size()));
        if (written <= 0) return LastError();
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

std::error_code OutputFile::Close() {
    if (fd_ < 0) return {};
    const int closed = _close(fd_);
    fd_ = -1;
    return closed == 0 ? std::error_code() : LastError();
}

#else

std::error_code OutputFile::Open(const std::string& argument, bool append, const std::function<bool()>& stopped) {
    const std::string path = WideToNarrow(PathFromArgument(argument));
    // Not blocking: a named pipe without a reader refuses at once (ENXIO) instead of holding the tool.
    const int flags = O_WRONLY | O_CREAT | O_NOCTTY | O_NONBLOCK | O_CLOEXEC | (append ? O_APPEND : 0);
    for (;;) {
        fd_ = ::open(path.c_str(), flags, kNewFileMode);
        if (fd_ >= 0) return {};
        if (errno == EINTR) continue;
        if (errno != ENXIO || !IsNamedPipe(path)) return LastError();
        if (Asked(stopped)) return Canceled();
        std::this_thread::sleep_for(kWaitStep);
    }
}

std::error_code OutputFile::Write(std::string_view bytes, const std::function<bool()>& stopped) {
    if (fd_ < 0) return std::make_error_code(std::errc::bad_file_descriptor);
    return WriteAll(fd_, bytes, stopped);
}

std::error_code OutputFile::Close() {
    if (fd_ < 0) return {};
    const int closed = ::close(fd_);
    fd_ = -1;
    return closed == 0 ? std::error_code() : LastError();
}

std::error_code OutputFile::WriteAll(int fd, std::string_view bytes, const std::function<bool()>& stopped) {
    while (!bytes.empty()) {
        pollfd ready{fd, POLLOUT, 0};
        const int events = ::poll(&ready, 1, static_cast<int>(kWaitStep.count()));
        if (events < 0 && errno == EINTR) continue;
        if (events < 0) return LastError();
        if (events == 0) {
            if (Asked(stopped)) return Canceled();
            continue;
        }
        if ((ready.revents & POLLNVAL) != 0) return std::make_error_code(std::errc::bad_file_descriptor);
        // A reader that went away (POLLERR) shows as the write's own error.
        const ssize_t written = ::write(fd, bytes.data(), std::min(bytes.size(), kPiece));
        if (written > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        } else if (written == 0 || (errno != EAGAIN && errno != EINTR)) {
            return written == 0 ? std::make_error_code(std::errc::io_error) : LastError();
        }
    }
    return {};
}

#endif

}  // namespace q470
