#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <mutex>
#include <thread>

#include "job_host.h"
#include "job_input.h"
#include "job_wind_down.h"

namespace q470 {

// Runs device jobs one at a time, in the order they were queued, on a thread of its own. The worker
// holds the job mutex for the whole of a job, so a push waits while a job runs; closing the device
// link first makes a running job fail fast.
class JobWorker {
public:
    explicit JobWorker(JobHost& host);
    ~JobWorker();  // stops the worker; close the device link first so a running job ends quickly
    JobWorker(const JobWorker&) = delete;
    JobWorker& operator=(const JobWorker&) = delete;

    // Appends a job code with the input it reads, after discarding every queued job when `clearFirst`
    // is set, and wakes the worker. Any code is accepted; codes that are not jobs are dropped when their
    // turn comes, and so is every job whose turn comes once the device link has been closed
    // (JobHost::JobDropped, no result): the owner closes the link only to disconnect.
    void PushJob(std::int32_t job, JobInput input = {}, bool clearFirst = false);
    // The same for several codes at once, each with its copy of `input`: they are queued together,
    // before the worker takes any.
    void PushJobs(std::initializer_list<std::int32_t> jobs, const JobInput& input = {}, bool clearFirst = false);

    // Starts the worker with an empty queue. A worker that still runs is stopped first.
    void StartWorker();
    // Discards the queued jobs, lets the running one finish, and joins the worker. Nothing when no
    // worker runs.
    void StopWorker();
    bool IsRunning() const;  // owner's thread only
    // Asks the running job to stop after the command under way, and every later job not to run. True
    // when the job is putting the device's quiet mode back first: keep the device link open until its
    // result (or drop) arrives. False when the link may be closed at once.
    bool StopAfterCurrentCommand();

    // True from the moment a job is queued by the owner (or taken by the worker) until the owner has
    // handled its result. The worker sets it when it takes a job and clears it only for a dropped code.
    bool IsBusy() const;
    // Returns the previous value.
    bool ExchangeBusy(bool busy);

private:
    // The input travels with the job: the worker thread never reads the owner's own copies.
    struct QueuedJob {
        std::int32_t code;
        JobInput input;
    };

    int WorkerProc();
    // False when the job was dropped instead of run.
    bool Run(const QueuedJob& job);

    JobHost& host_;
    std::deque<QueuedJob> queue_;
    std::mutex jobMutex_;
    std::condition_variable jobCondition_;
    std::thread thread_;
    std::atomic<bool> busy_{false};
    // Set by StopWorker before it queues the stop. The worker keeps the job mutex from one job to the
    // next while jobs wait, so the stop could only get in once all of them had run; the worker looks
    // at this flag between jobs instead and ends without taking another.
    std::atomic<bool> stopRequested_{false};
    JobWindDown windDown_;
    // The owner closed the device link under a job (or before one): it is disconnecting. The worker's
    // own; reset when it starts.
    bool linkGone_ = false;
};

}  // namespace q470
