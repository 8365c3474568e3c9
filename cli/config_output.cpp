#include "config_output.h"

#include <cerrno>
#include <cstdio>

#include "argument_path.h"
#include "atomic_file_writer.h"
#include "output_file.h"
#include "standard_stream.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>

#include "narrow_text.h"
#endif

namespace q470 {
namespace {

constexpr int kStandardOutput = 1;

std::error_code LastError() {
    return {errno != 0 ? errno : EIO, std::generic_category()};
}

#ifdef _WIN32

std::error_code WriteDescriptor(int fd, const std::string& bytes) {
    if (fd == kStandardOutput) {
        // The file's own CR LF line ends, not the console stream's translation of them.
        std::fflush(stdout);
        _setmode(_fileno(stdout), _O_BINARY);
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
        if (std::fflush(stdout) != 0 || !written) return LastError();
        return {};
    }
    if (_write(fd, bytes.data(), static_cast<unsigned>(bytes.size())) != static_cast<int>(bytes.size()))
        return LastError();
    return {};
}

#else

// A named pipe or a device: there is no old content to keep, so it is written in place.
bool WrittenInPlace(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

std::error_code WriteInPlace(const std::string& argument, const std::string& bytes,
                             const std::function<bool()>& stopped) {
    OutputFile file;
    if (const auto error = file.Open(argument, false, stopped)) return error;
    if (const auto error = file.Write(bytes, stopped)) return error;
    return file.Close();
}

#endif

}  // namespace

std::error_code WriteConfigOutput(const std::string& argument, const std::string& bytes,
                                  const std::function<bool()>& stopped) {
#ifdef _WIN32
    (void)stopped;
    if (const auto fd = StandardStreamOf(argument, true)) return WriteDescriptor(*fd, bytes);
#else
    if (const auto fd = StandardStreamOf(argument, true)) return OutputFile::WriteAll(*fd, bytes, stopped);
    if (WrittenInPlace(WideToNarrow(PathFromArgument(argument)))) return WriteInPlace(argument, bytes, stopped);
#endif
    AtomicFileWriter file(PathFromArgument(argument));
    errno = 0;
    if (!file.Open()) return LastError();
    // Flushed here, so that the cause of a failure (a full disk, a file size limit) is still known;
    // the temporary file goes with the writer.
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.Stream()) != bytes.size() || std::fflush(file.Stream()) != 0)
        return LastError();
    errno = 0;
    if (!file.Commit()) return LastError();
    return {};
}

bool IsStandardOutput(const std::string& argument) {
    return StandardStreamOf(argument, true) == kStandardOutput;
}

}  // namespace q470
