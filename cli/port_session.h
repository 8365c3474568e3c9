#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>

#include "cli_request.h"
#include "job_host.h"
#include "job_input.h"
#include "job_worker.h"
#include "q470comm.h"

namespace q470 {

// One port's device link and job worker, owned by the thread that drives that port: the same jobs
// as the window runs, one after the other, each waited for.
class PortSession final : public JobHost {
public:
    explicit PortSession(const LineOptions& line);
    ~PortSession();  // closes the link first, so a running job ends quickly, then stops the worker

    std::error_code Open(const std::string& port);
    void Close();
    // From another thread: the running job ends after the command under way, and no later one runs.
    // True when the job first puts the device's quiet mode back (the link must stay open until it
    // has), false when Close may follow at once.
    bool StopAfterCurrentCommand() { return worker_.StopAfterCurrentCommand(); }

    // Queues one job and waits for its result; nothing when the job was dropped (the link was closed).
    std::optional<std::int32_t> RunJob(std::int32_t job);
    // One command sent from this thread while the worker is idle, as the window sends the
    // association clear itself.
    ResponseRecordPtr Execute(const std::string& command, CommandId id, std::uint32_t timeoutMs);

    const LineOptions& Line() const { return line_; }
    // The same line in the jobs' terms.
    const ConnectionLine& Connection() const { return input_.line; }
    const DeviceState& Device() const { return state_; }
    // What the next jobs are queued with.
    void SetGeneralRecord(const GeneralSettings& record) { input_.general = record; }
    void SetGpioRecord(const GpioSettings& record) { input_.gpio = record; }
    void SetFileItems(SettingItemList items) { input_.fileItems = std::move(items); }
    const SettingItemList& FileItems() const { return input_.fileItems; }

    Q470Comm& DeviceLink() override { return link_; }
    DeviceState& State() override { return state_; }
    void PostJobResult(std::int32_t job, std::int32_t result) override;
    void JobDropped(std::int32_t job) override;
    // The last apply job's trail; read once that job's result has arrived.
    void RecordApplyTrail(const ApplyTrail& trail) override { trail_ = trail; }
    const ApplyTrail& Trail() const { return trail_; }

private:
    LineOptions line_;
    Q470Comm link_;
    JobInput input_;
    DeviceState state_;
    ApplyTrail trail_;

    std::mutex resultMutex_;
    std::condition_variable resultArrived_;
    std::optional<std::int32_t> result_;
    bool dropped_ = false;

    JobWorker worker_{*this};  // last: it runs jobs on everything above
};

}  // namespace q470
