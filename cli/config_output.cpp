#include "config_output.h"

#include <cerrno>
#include <cstdio>

#include "argument_path.h"
#include "atomic_file_writer.h"
#include "standard_stream.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <poll.h>
#include <unistd.h>
#endif

namespace q470 {
namespace {

constexpr int kStandardOutput = 1;

bool WriteDescriptor(int fd, const std::string& bytes) {
#ifdef _WIN32
    if (fd == kStandardOutput) {
        // The file's own CR LF line ends, not the console stream's translation of them.
        std::fflush(stdout);
        _setmode(_fileno(stdout), _O_BINARY);
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
        return std::fflush(stdout) == 0 && written;
    }
    return _write(fd, bytes.data(), static_cast<unsigned>(bytes.size())) == static_cast<int>(bytes.size());
#else
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (count > 0) {
            done += static_cast<std::size_t>(count);
        } else if (count < 0 && errno == EAGAIN) {
            // A stream another program left without blocking: wait until it takes more.
            pollfd ready{fd, POLLOUT, 0};
            ::poll(&ready, 1, -1);
        } else if (count < 0 && errno != EINTR) {
            return false;
        }
    }
    return true;
#endif
}

}  // namespace

bool WriteConfigOutput(const std::string& argument, const std::string& bytes) {
    if (const auto fd = StandardStreamOf(argument, true)) return WriteDescriptor(*fd, bytes);
    AtomicFileWriter file(PathFromArgument(argument));
    if (!file.Open()) return false;
    std::fwrite(bytes.data(), 1, bytes.size(), file.Stream());
    return file.Commit();
}

bool IsStandardOutput(const std::string& argument) {
    return StandardStreamOf(argument, true) == kStandardOutput;
}

}  // namespace q470
