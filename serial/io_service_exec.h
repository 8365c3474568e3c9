#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <asio/executor_work_guard.hpp>
#include <asio/io_context.hpp>

namespace q470 {

// The process-wide event loop on which every serial channel runs its reads and writes, and the
// threads that run it. The device link starts the threads with its first open and stops them when
// the last open link closes.
class IoServiceExec {
public:
    static IoServiceExec& Instance();

    IoServiceExec();
    virtual ~IoServiceExec();
    IoServiceExec(const IoServiceExec&) = delete;
    IoServiceExec& operator=(const IoServiceExec&) = delete;

    // Restarts the loop and starts one thread per hardware thread (one when the platform reports
    // none). Throws std::system_error when a thread cannot be created.
    void Start();
    // Joins the threads, then stops the loop. Callers close their channels first. Must not be called
    // from an I/O thread; a second call does nothing.
    void Stop();
    // The body of each I/O thread.
    void Run(asio::io_context& context);

    asio::io_context& Context() { return context_; }
    // Threads started and not yet joined.
    std::size_t ThreadCount() const;
    // Threads currently inside Run.
    std::size_t RunningThreadCount() const { return running_.load(); }

private:
    using WorkGuard = asio::executor_work_guard<asio::io_context::executor_type>;

    asio::io_context context_;
    // Keeps the threads in the loop while no channel has an operation outstanding (after a device
    // hang-up ended the read loop), so a link opened later still finds threads running.
    std::optional<WorkGuard> work_;
    std::vector<std::thread> threads_;
    mutable std::mutex threadsMutex_;
    std::atomic<bool> stopped_{true};
    std::atomic<std::size_t> running_{0};
};

}  // namespace q470
