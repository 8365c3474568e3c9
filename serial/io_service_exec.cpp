#include "io_service_exec.h"

namespace q470 {
namespace {

unsigned IoThreadsToStart() {
    const unsigned reported = std::thread::hardware_concurrency();
    return reported == 0 ? 1 : reported;  // no thread would leave every read and write pending
}

}  // namespace

IoServiceExec& IoServiceExec::Instance() {
    static IoServiceExec instance;
    return instance;
}

IoServiceExec::IoServiceExec() = default;

IoServiceExec::~IoServiceExec() {
    // A link still open at process exit keeps a read outstanding; stopping the loop first lets the
    // threads leave instead of hanging the exit.
    context_.stop();
    Stop();
}

void IoServiceExec::Start() {
    std::lock_guard<std::mutex> lock(threadsMutex_);
    if (!threads_.empty()) return;  // already running: a second link shares the threads
    stopped_ = false;
    context_.restart();
    work_.emplace(context_.get_executor());
    const unsigned count = IoThreadsToStart();
    for (unsigned i = 0; i < count; ++i) threads_.emplace_back([this] { Run(context_); });
}

void IoServiceExec::Stop() {
    std::lock_guard<std::mutex> lock(threadsMutex_);
    if (!stopped_.exchange(true)) {
        work_.reset();
        for (auto& thread : threads_) thread.join();
        threads_.clear();
    }
    if (!context_.stopped()) context_.stop();
}

void IoServiceExec::Run(asio::io_context& context) {
    ++running_;
    try {
        while (!stopped_) {
            context.run();
            if (context.stopped()) break;
        }
    } catch (...) {
        // An exception escaping a completion ends this thread only; the others keep serving.
    }
    --running_;
}

std::size_t IoServiceExec::ThreadCount() const {
    std::lock_guard<std::mutex> lock(threadsMutex_);
    return threads_.size();
}

}  // namespace q470
