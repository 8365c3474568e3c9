#pragma once

#include <cstdio>
#include <string>

namespace q470 {

// Writes a file so that a failed write leaves the previous file as it was: the content goes to a
// temporary file in the same folder, which takes the target's place only once it is complete and on the
// disk. A symbolic link keeps pointing where it did: the file it points to is replaced. The replaced
// file's permission bits (and its owner, where the writer may set it) carry over to the new one. A
// target that exists but is not a regular file, such as a device, is written in place.
class AtomicFileWriter {
public:
#ifdef _WIN32
    using NativePath = std::wstring;
#else
    using NativePath = std::string;
#endif

    explicit AtomicFileWriter(std::u16string path);
    ~AtomicFileWriter();  // removes the temporary file of a write that was not committed
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False when the file cannot be written: its folder is missing or closed to the writer, or the file
    // exists and is read-only or is a folder.
    bool Open();
    std::FILE* Stream() const {
        return stream_;
    }
    // Flushes, syncs and closes the stream and puts the file in place. False when any of it failed; the
    // previous file is then untouched.
    bool Commit();

private:
    std::u16string path_;
    NativePath target_;     // the file that Commit replaces, symbolic links resolved
    NativePath temporary_;  // empty when the file is written in place or was committed
    std::FILE* stream_ = nullptr;
};

}  // namespace q470
