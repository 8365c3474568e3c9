#include "progress_reporter.h"

#include "terminal_text.h"

namespace q470 {

void ProgressReporter::Step(const std::string& port, const std::string& what) {
    if (!enabled_) return;
    std::lock_guard<std::mutex> lock(mutex_);
    err_ << "q470ctl: ";
    if (withPort_) err_ << PrintableText(port) << ": ";
    err_ << what << std::endl;
}

}  // namespace q470
