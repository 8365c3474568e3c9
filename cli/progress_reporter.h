#pragma once

#include <mutex>
#include <ostream>
#include <string>

namespace q470 {

// One line per step ("identifying the device...") on the error stream, when it is a terminal; the port
// threads share it.
class ProgressReporter {
public:
    ProgressReporter(std::ostream& err, bool enabled, bool withPort)
        : err_(err), enabled_(enabled), withPort_(withPort) {}

    void Step(const std::string& port, const std::string& what);

private:
    std::ostream& err_;
    bool enabled_;
    bool withPort_;
    std::mutex mutex_;
};

}  // namespace q470
