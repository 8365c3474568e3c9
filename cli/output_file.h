#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <system_error>

namespace q470 {

// A file the tool writes into as it stands (a trace appended to, a configuration written into a device
// or a named pipe): opened without hanging on a named pipe that has no reader yet, and written without
// hanging on a reader that takes nothing more, for as long as `stopped` says no (it is asked only while
// the tool waits). Errors are system errors; a stop is operation_canceled.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // `argument` is a file name as the command line gave it; the file is created when it is missing.
    std::error_code Open(const std::string& argument, bool append, const std::function<bool()>& stopped = {});
    std::error_code Write(std::string_view bytes, const std::function<bool()>& stopped = {});
    std::error_code Close();
    bool IsOpen() const { return fd_ >= 0; }

#ifndef _WIN32
    // The same writing on a descriptor the tool holds (its standard output), a piece at a time, so that
    // a pipe nobody reads cannot block it beyond a stop.
    static std::error_code WriteAll(int fd, std::string_view bytes, const std::function<bool()>& stopped = {});
#endif

private:
    int fd_ = -1;
};

}  // namespace q470
