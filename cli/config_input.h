#pragma once

#include <string>

#include "config_file_loader.h"
#include "stop_request.h"

namespace q470 {

// The bytes of the configuration file an argument names, read once, so that every port gets the same
// file: a regular file, "-" for standard input, or a pipe, a terminal or a process substitution
// (/dev/fd/N), each read to its end. A stop request ends the wait for more.
class ConfigInput {
public:
    enum class Result { Read, Failed, Stopped };

    static constexpr std::size_t kMaxBytes = 1 << 20;  // far beyond any configuration file

    static Result Read(const std::string& argument, const StopRequest* stop, std::string& bytes,
                       ConfigFileFailure& failure);
};

}  // namespace q470
