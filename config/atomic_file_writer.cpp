#include "atomic_file_writer.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <utility>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "narrow_text.h"
#endif

namespace q470 {

namespace {

// A name taken by a stale temporary file is skipped; this many in a row means something else is wrong.
constexpr int kCreateAttempts = 100;

std::atomic<unsigned> temporaryCounter{0};

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::u16string path) : path_(std::move(path)) {}

#ifdef _WIN32

namespace {

std::FILE* CreateTemporary(const std::wstring& target, std::wstring& name) {
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        name = target + L"." + std::to_wstring(GetCurrentProcessId()) + L"." + std::to_wstring(temporaryCounter++) +
               L".tmp";
        int fd = -1;
        const errno_t error =
            _wsopen_s(&fd, name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _SH_DENYNO, _S_IREAD | _S_IWRITE);
        if (error == EEXIST) continue;
        if (error != 0) return nullptr;
        std::FILE* stream = _fdopen(fd, "wb");
        if (stream == nullptr) {
            _close(fd);
            _wremove(name.c_str());
        }
        return stream;
    }
    return nullptr;
}

}  // namespace

AtomicFileWriter::~AtomicFileWriter() {
    if (stream_ != nullptr) std::fclose(stream_);
    if (!temporary_.empty()) _wremove(temporary_.c_str());
}

bool AtomicFileWriter::Open() {
    const std::wstring path(path_.begin(), path_.end());
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        return false;
    }
    stream_ = CreateTemporary(path, temporary_);
    if (stream_ == nullptr) temporary_.clear();
    target_ = path;
    return stream_ != nullptr;
}

bool AtomicFileWriter::Commit() {
    if (stream_ == nullptr) return false;
    const bool written = std::fflush(stream_) == 0 && !std::ferror(stream_) && _commit(_fileno(stream_)) == 0;
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    if (!written || !closed) return false;
    if (!MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return false;
    }
    temporary_.clear();
    return true;
}

#else

namespace {

// New files get 0666 narrowed by the umask, as any file the user creates; mkstemp would force 0600.
constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kPermissionBits = 07777;
// The target's name is kept in the temporary's name (so that a leftover can be told apart) but cut,
// so that the temporary's name stays within the file system's limit.
constexpr std::size_t kNameBytesKept = 64;

// A hidden name next to the target, unique to this process and write.
std::string TemporaryName(const std::string& target) {
    const auto slash = target.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return target.substr(0, nameStart) + "." + target.substr(nameStart, kNameBytesKept) + "." +
           std::to_string(getpid()) + "." + std::to_string(temporaryCounter++) + ".tmp";
}

// False when the mode cannot be carried over: the new file might then be open to more users than the old.
bool KeepAttributes(int fd, const struct stat& replaced) {
    if (fchown(fd, replaced.st_uid, replaced.st_gid) != 0) {
        // Only a privileged writer may hand the file back to its owner; anyone else becomes the owner.
    }
    // After fchown, which clears set-ID bits, so that they are restored too.
    return fchmod(fd, replaced.st_mode & kPermissionBits) == 0;
}

std::FILE* CreateTemporary(const std::string& target, const struct stat* replaced, std::string& name) {
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        name = TemporaryName(target);
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return nullptr;
        std::FILE* stream = replaced == nullptr || KeepAttributes(fd, *replaced) ? fdopen(fd, "wb") : nullptr;
        if (stream == nullptr) {
            close(fd);
            unlink(name.c_str());
        }
        return stream;
    }
    return nullptr;
}

struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};

}  // namespace

AtomicFileWriter::~AtomicFileWriter() {
    if (stream_ != nullptr) std::fclose(stream_);
    if (!temporary_.empty()) unlink(temporary_.c_str());
}

bool AtomicFileWriter::Open() {
    const std::string path = WideToNarrow(path_);
    if (path.empty()) return false;
    struct stat entry {};
    if (lstat(path.c_str(), &entry) != 0) {
        // Nothing there yet: still written aside, so a failed write leaves no partial file behind.
        if (errno != ENOENT) return false;
        target_ = path;
        stream_ = CreateTemporary(target_, nullptr, temporary_);
    } else {
        const std::unique_ptr<char, FreeDeleter> resolved(realpath(path.c_str(), nullptr));
        struct stat file {};
        if (resolved == nullptr || stat(resolved.get(), &file) != 0 || !S_ISREG(file.st_mode)) {
            // A device, a pipe or a link to nothing has no content to keep; a folder fails to open here.
            stream_ = std::fopen(path.c_str(), "wb");
            return stream_ != nullptr;
        }
        // A read-only file is refused rather than replaced behind its owner's back.
        if (access(resolved.get(), W_OK) != 0) return false;
        target_ = resolved.get();
        stream_ = CreateTemporary(target_, &file, temporary_);
    }
    if (stream_ == nullptr) temporary_.clear();
    return stream_ != nullptr;
}

bool AtomicFileWriter::Commit() {
    if (stream_ == nullptr) return false;
    bool written = std::fflush(stream_) == 0 && !std::ferror(stream_);
    // On the disk before it takes the old file's place, so that a power loss cannot leave an empty file.
    if (written && !temporary_.empty()) written = fsync(fileno(stream_)) == 0;
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    if (!written || !closed) return false;
    if (temporary_.empty()) return true;
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) return false;
    temporary_.clear();
    return true;
}

#endif

}  // namespace q470
