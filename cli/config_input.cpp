#include "config_input.h"

#include <cerrno>

#include "argument_path.h"
#include "narrow_text.h"
#include "standard_stream.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#else
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#endif

namespace q470 {
namespace {

using Result = ConfigInput::Result;

Result ReadFailure(int error, ConfigFileFailure& failure) {
    failure = {};
    failure.cause = FileFailureCause::ReadFailed;
    failure.systemError = error;
    return Result::Failed;
}

Result OpenFailure(int error, ConfigFileFailure& failure) {
    failure = OpenFailureOf(error);
    return Result::Failed;
}

bool Stopped(const StopRequest* stop) {
    return stop != nullptr && stop->Signal() != 0;
}

#ifdef _WIN32

// No stop is looked for while a read waits: a console's Ctrl-C ends such a read itself.
Result ReadStream(std::FILE* file, const StopRequest* stop, std::string& bytes, ConfigFileFailure& failure) {
    char buffer[4096];
    for (;;) {
        const std::size_t count = std::fread(buffer, 1, sizeof buffer, file);
        bytes.append(buffer, count);
        if (bytes.size() > ConfigInput::kMaxBytes) return ReadFailure(EFBIG, failure);
        if (count < sizeof buffer) break;
    }
    if (std::ferror(file)) return ReadFailure(errno != 0 ? errno : EIO, failure);
    return Stopped(stop) ? Result::Stopped : Result::Read;
}

#else

constexpr std::chrono::milliseconds kStopPoll{50};

// Waits for bytes with poll, so that a stop request is seen while a pipe or a terminal has nothing yet.
Result ReadDescriptor(int fd, const StopRequest* stop, std::string& bytes, ConfigFileFailure& failure) {
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) return OpenFailure(EISDIR, failure);
    char buffer[4096];
    for (;;) {
        if (Stopped(stop)) return Result::Stopped;
        pollfd ready{fd, POLLIN, 0};
        const int events = ::poll(&ready, 1, static_cast<int>(kStopPoll.count()));
        if (events < 0 && errno != EINTR) return ReadFailure(errno, failure);
        if (events <= 0) continue;
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count == 0) return Result::Read;
        if (count < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return ReadFailure(errno, failure);
        }
        bytes.append(buffer, static_cast<std::size_t>(count));
        if (bytes.size() > ConfigInput::kMaxBytes) return ReadFailure(EFBIG, failure);
    }
}

#endif

}  // namespace

Result ConfigInput::Read(const std::string& argument, const StopRequest* stop, std::string& bytes,
                         ConfigFileFailure& failure) {
    bytes.clear();
    failure = {};
#ifdef _WIN32
    if (StandardStreamOf(argument, false)) {
        _setmode(_fileno(stdin), _O_BINARY);  // the bytes as they are: a text stream ends at Ctrl-Z
        return ReadStream(stdin, stop, bytes, failure);
    }
    std::FILE* file = nullptr;
    const std::u16string path = PathFromArgument(argument);
    if (const errno_t error = _wfopen_s(&file, reinterpret_cast<const wchar_t*>(path.c_str()), L"rb"); error != 0) {
        return OpenFailure(error, failure);
    }
    struct _stat64 info {};
    if (_fstat64(_fileno(file), &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFDIR) {
        std::fclose(file);
        return OpenFailure(EISDIR, failure);
    }
    const Result result = ReadStream(file, stop, bytes, failure);
    std::fclose(file);
    return result;
#else
    if (const auto fd = StandardStreamOf(argument, false)) return ReadDescriptor(*fd, stop, bytes, failure);
    // Without waiting for a writer: a named pipe is waited for by poll, where a stop can end the wait.
    const int fd = ::open(WideToNarrow(PathFromArgument(argument)).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return OpenFailure(errno, failure);
    const Result result = ReadDescriptor(fd, stop, bytes, failure);
    ::close(fd);
    return result;
#endif
}

}  // namespace q470
