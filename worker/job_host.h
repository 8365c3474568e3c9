#pragma once

#include <cstdint>

#include "apply_trail.h"
#include "device_state.h"
#include "q470comm.h"

namespace q470 {

// What the jobs need from the program that owns them (the main window, the command-line tool) besides
// their input, which is queued with them (JobInput). Every call comes from the worker thread while a
// job runs. The device state is not locked: the owner leaves it alone from the moment it queues a job
// until it has handled that job's result.
class JobHost {
public:
    JobHost() = default;
    JobHost(const JobHost&) = delete;
    JobHost& operator=(const JobHost&) = delete;

    virtual Q470Comm& DeviceLink() = 0;
    virtual DeviceState& State() = 0;

    // Once at the end of every job, after its last write to the device state. Called with the job
    // mutex held: hand the result to the owner's own thread and return; do not queue jobs from here.
    virtual void PostJobResult(std::int32_t job, std::int32_t result) = 0;
    // A code that is not a job, or a job whose turn came after the device link was closed, was taken
    // and dropped: the busy flag is already cleared and no result follows, so a window can end its
    // wait cursor here. Same rules as PostJobResult.
    virtual void JobDropped(std::int32_t /*job*/) {}
    // Once at the end of every apply job, just before its result: what the device acknowledged and
    // which step failed, so the owner can tell what a partly written device now holds. Same rules as
    // PostJobResult.
    virtual void RecordApplyTrail(const ApplyTrail& /*trail*/) {}

protected:
    ~JobHost() = default;
};

}  // namespace q470
