#include "job_worker.h"

#include <array>
#include <chrono>
#include <utility>

#include "apply_jobs.h"
#include "job_code.h"
#include "job_session.h"
#include "read_jobs.h"

namespace q470 {
namespace {

constexpr std::chrono::milliseconds kStartDelay{1};

struct JobEntry {
    JobCode code;
    std::int32_t (*run)(const JobInput&, JobHost&, JobSession&);
};

// JobStop is the worker loop's own business; every other code not listed here is dropped.
constexpr std::array<JobEntry, 10> kJobs{{
    {JobIdentify, RunIdentify},
    {JobReadQ470R, RunReadQ470R},
    {JobReadKs, RunReadKs},
    {JobApplyGeneralQ470R, RunApplyGeneralQ470R},
    {JobApplyGeneralKs, RunApplyGeneralKs},
    {JobApplyGpio, RunApplyGpio},
    {JobApplyFileQ470R, RunApplyFileQ470R},
    {JobApplyFileKs, RunApplyFileKs},
    {JobRestart, RunRestart},
    {JobFactoryReset, RunFactoryReset},
}};

const JobEntry* FindJob(std::int32_t job) {
    for (const auto& entry : kJobs) {
        if (entry.code == job) return &entry;
    }
    return nullptr;
}

}  // namespace

JobWorker::JobWorker(JobHost& host) : host_(host) {}

JobWorker::~JobWorker() {
    StopWorker();
}

void JobWorker::PushJob(std::int32_t job, JobInput input, bool clearFirst) {
    {
        std::lock_guard<std::mutex> lock(jobMutex_);
        if (clearFirst) queue_.clear();
        queue_.push_back({job, std::move(input)});
    }
    jobCondition_.notify_all();
}

void JobWorker::PushJobs(std::initializer_list<std::int32_t> jobs, const JobInput& input, bool clearFirst) {
    {
        std::lock_guard<std::mutex> lock(jobMutex_);
        if (clearFirst) queue_.clear();
        for (const std::int32_t job : jobs) queue_.push_back({job, input});
    }
    jobCondition_.notify_all();
}

void JobWorker::StartWorker() {
    // A second thread would share the queue with the first; replacing a running thread ends the process.
    if (thread_.joinable()) StopWorker();
    // No worker runs now, so the queue is ours: a stop left over from the last worker must not reach
    // the new one.
    queue_ = std::deque<QueuedJob>();
    stopRequested_.exchange(false);
    windDown_.Reset();
    linkGone_ = false;
    std::this_thread::sleep_for(kStartDelay);
    thread_ = std::thread([this] { WorkerProc(); });
}

void JobWorker::StopWorker() {
    if (!thread_.joinable()) return;
    stopRequested_.exchange(true);
    PushJob(JobStop, {}, true);
    thread_.join();
    thread_ = std::thread();
}

bool JobWorker::IsRunning() const {
    return thread_.joinable();
}

bool JobWorker::StopAfterCurrentCommand() {
    return windDown_.Request();
}

bool JobWorker::IsBusy() const {
    return busy_.load();
}

bool JobWorker::ExchangeBusy(bool busy) {
    return busy_.exchange(busy);
}

int JobWorker::WorkerProc() {
    std::unique_lock<std::mutex> lock(jobMutex_);
    for (;;) {
        jobCondition_.wait(lock, [this] { return !queue_.empty() || stopRequested_; });
        if (stopRequested_) return 0;  // the jobs still queued never run
        const QueuedJob job = std::move(queue_.front());
        queue_.pop_front();
        busy_.exchange(true);
        if (job.code == JobStop) return 0;  // jobs queued behind it never run
        if (!Run(job)) continue;
        // A job's last query may still owe its final line (the OK after its data line): taken in now, as
        // it comes, rather than when the next job's first command waits for it; the owner may queue the
        // next job meanwhile.
        lock.unlock();
        host_.DeviceLink().PayOwedFinalLine();
        lock.lock();
    }
}

// Runs with the job mutex held, so the owner cannot queue the next job while this one talks. The
// owner closes the link only to disconnect: a job taken after that could only fail, and its result
// would reach a window that has already let go of the device, so it is dropped instead. A job that
// met the closing link is the surer sign: the link may still report itself open while it closes. An
// owner that asked for a stop wants no further job either.
bool JobWorker::Run(const QueuedJob& job) {
    const JobEntry* entry = FindJob(job.code);
    if (!entry || linkGone_ || windDown_.Requested() || !host_.DeviceLink().IsOpen()) {
        busy_.exchange(false);
        host_.JobDropped(job.code);
        return false;
    }
    JobSession session(host_.DeviceLink(), &windDown_);
    const std::int32_t result = entry->run(job.input, host_, session);
    linkGone_ = session.LinkGone();
    host_.PostJobResult(job.code, result);
    return true;
}

}  // namespace q470
