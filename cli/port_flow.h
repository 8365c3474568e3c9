#pragma once

#include <optional>
#include <string>
#include <system_error>

#include "cli_request.h"
#include "cli_text.h"
#include "general_changes.h"
#include "gpio_changes.h"
#include "port_outcome.h"
#include "port_session.h"
#include "progress_reporter.h"
#include "run_control.h"
#include "setting_check.h"
#include "trace_writer.h"

namespace q470 {

// The command line, checked, with what its words turned into; shared read-only by the port threads.
struct CommandPlan {
    CliRequest request;
    std::optional<GeneralChanges> general;  // set
    std::optional<GpioChanges> gpio;        // gpio
    CliText text{UiLanguage::English};
    TraceWriter* trace = nullptr;  // --trace, --trace-file; shared by the ports
};

// Runs the command on one port the way the window's flows do: open, identify, read, then the job
// the command needs and what the window chains after its result.
class PortFlow {
public:
    PortFlow(const CommandPlan& plan, std::string port, RunControl& control, ProgressReporter& progress);
    ~PortFlow();
    PortFlow(const PortFlow&) = delete;
    PortFlow& operator=(const PortFlow&) = delete;

    PortOutcome Run();

private:
    bool OpenPort();
    void RunCommand();
    bool Identify();
    bool Read();
    void Save();
    void Apply();
    void Set();
    void Gpio();
    void Restart(std::int32_t job, const char* doneText);
    void At();
    // After the writes of set, gpio and apply: the restart that --restart and --verify ask for (unless
    // the device has restarted already), then the check of --verify; success with `message` otherwise.
    void FinishWrites(std::string message, std::vector<SettingCheck> checks);
    void ReadBack(std::vector<SettingCheck> checks);

    // Runs a job; false when it did not end with `expected`, after recording why.
    bool RunJob(std::int32_t job, const char* step, std::int32_t expected, const std::string& failure);
    // The same for an apply job, keeping what the device acknowledged and where the job stopped.
    bool RunApplyJob(std::int32_t job, const char* step, const std::string& failure);
    bool IsQ470R() const;
    void Step(const char* what);
    void Succeed(std::string message);
    void Fail(int status, std::string message, std::optional<std::int32_t> result = std::nullopt);
    void FailPort(const std::error_code& error);
    void FailDisconnected(const char* step);
    void MarkInterrupted();
    // What the link sends and takes in goes to the trace, and the answer lines of `at` to the outcome.
    void Observe(LinkTraffic traffic, std::string_view bytes);

    const CommandPlan& plan_;
    RunControl& control_;
    ProgressReporter& progress_;
    PortSession session_;
    PortOutcome outcome_;
    bool attached_ = false;
    bool finished_ = false;  // succeeded or failed on its own, not cut short by a stop
    bool collectLines_ = false;  // while `at` waits for its answer
};

}  // namespace q470
