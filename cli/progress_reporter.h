#pragma once

#include <mutex>
#include <ostream>
#include <string>

#include "tool_text.h"

namespace q470 {

// One line per step ("identifying the device...") on the error stream, when it is a terminal; the port
// threads share it.
class ProgressReporter {
public:
    ProgressReporter(std::ostream& err, bool enabled, bool withPort)
        : err_(err), enabled_(enabled), withPort_(withPort) {}
    virtual ~ProgressReporter() = default;

    void Step(const std::string& port, const std::string& what);
    // The step by its id, as it begins, for a caller that follows the run step by step (the station).
    virtual void Began(const std::string& /*port*/, ToolText /*step*/) {}

private:
    std::ostream& err_;
    bool enabled_;
    bool withPort_;
    std::mutex mutex_;
};

}  // namespace q470
