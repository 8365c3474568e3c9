#include "config_file_loader.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdio>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "config_file_parser.h"
#include "narrow_text.h"

namespace q470 {
namespace {

int OpenFailure(int error, ConfigFileFailure& failure) {
    failure = OpenFailureOf(error);
    return -error;
}

int NotRegular(bool directory, ConfigFileFailure& failure) {
    failure.cause = FileFailureCause::NotRegularFile;
    failure.systemError = directory ? EISDIR : ENODEV;
    return -failure.systemError;
}

#ifdef _WIN32

std::FILE* OpenRegularFile(const std::u16string& path, ConfigFileFailure& failure, int& result) {
    std::FILE* file = nullptr;
    if (const errno_t error = _wfopen_s(&file, reinterpret_cast<const wchar_t*>(path.c_str()), L"rb"); error != 0) {
        result = OpenFailure(error, failure);
        return nullptr;
    }
    struct _stat64 info {};
    if (_fstat64(_fileno(file), &info) == 0 && (info.st_mode & _S_IFMT) != _S_IFREG) {
        std::fclose(file);
        result = NotRegular((info.st_mode & _S_IFMT) == _S_IFDIR, failure);
        return nullptr;
    }
    return file;
}

#else

// Opened without blocking and looked at before anything is read: a pipe or a terminal would otherwise
// keep the reader waiting for a writer that may never come.
std::FILE* OpenRegularFile(const std::u16string& path, ConfigFileFailure& failure, int& result) {
    const int fd = ::open(WideToNarrow(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result = OpenFailure(errno, failure);
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const bool directory = S_ISDIR(info.st_mode);
        ::close(fd);
        result = NotRegular(directory, failure);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        result = OpenFailure(errno, failure);
        ::close(fd);
    }
    return file;
}

#endif

void NoteParseFailure(int result, const TextPosition& stoppedAt, ConfigFileFailure& failure) {
    failure.cause = FileFailureCause::NotJson;
    failure.parseCode = result;
    failure.line = stoppedAt.line;
    failure.column = stoppedAt.column;
}

}  // namespace

ConfigFileFailure OpenFailureOf(int error) {
    ConfigFileFailure failure;
    failure.systemError = error;
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            failure.cause = FileFailureCause::Missing;
            break;
        case EACCES:
        case EPERM:
            failure.cause = FileFailureCause::NoPermission;
            break;
        case EISDIR:
            failure.cause = FileFailureCause::NotRegularFile;
            break;
        default:
            failure.cause = FileFailureCause::OpenFailed;
            break;
    }
    return failure;
}

int LoadConfigDocument(const std::u16string& path, ConfigDocument& document, ConfigFileFailure* failure) {
    ConfigFileFailure unused;
    ConfigFileFailure& why = failure != nullptr ? *failure : unused;
    why = {};
    int result = 0;
    std::FILE* file = OpenRegularFile(path, why, result);
    if (file == nullptr) return result;
    TextPosition stoppedAt;
    result = ParseConfigFile(file, document, &stoppedAt);
    std::fclose(file);
    if (result < 0) {
        why.cause = FileFailureCause::ReadFailed;
        why.systemError = -result;
    } else if (result > 0) {
        NoteParseFailure(result, stoppedAt, why);
    }
    return result;
}

int LoadConfigDocumentFromBytes(const std::string& content, ConfigDocument& document, ConfigFileFailure* failure) {
    ConfigFileFailure unused;
    ConfigFileFailure& why = failure != nullptr ? *failure : unused;
    why = {};
    TextPosition stoppedAt;
    const int result = ParseConfigBytes(content, document, &stoppedAt);
    if (result != 0) NoteParseFailure(result, stoppedAt, why);
    return result;
}

}  // namespace q470
