#pragma once

#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "cli_request.h"
#include "cli_text.h"
#include "config_exchange.h"
#include "device_session.h"
#include "file_run.h"
#include "general_changes.h"
#include "gpio_changes.h"
#include "port_names.h"
#include "port_outcome.h"
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
    std::string fileBytes;                  // apply: the file, read once for every port
    CliText text{UiLanguage::English};
    TraceWriter* trace = nullptr;  // --trace, --trace-file; shared by the ports
    // Where a port that goes with a restart is looked for by its stable links.
    std::vector<std::string> linkFolders = StableLinkFolders();
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
    bool Attach();
    bool OpenPort();
    void RunCommand();
    bool Identify();
    bool Read();
    void Save();
    void Apply();
    void Set();
    void Gpio();
    void Restart(std::int32_t job, ToolText doneText, ToolText notDoneText);
    void At();
    // Whether the identification found a device, after recording why not.
    bool Identified(const StepResult& result);
    // What the read reported goes to the outcome; held values a saved file could not restore warned of.
    void NoteRead(const DeviceState& device);
    // The apply's file run, up to its write: false, after recording why, when it did not get past it.
    bool FileWritten(const FileRunResult& result);
    // After the writes of set, gpio and apply: how the association clear, the restart and the read-back
    // went; success with `message` otherwise, unless the device did not acknowledge the association
    // clear or the restart the writes needed.
    void Conclude(std::string message, const WriteFollowUp& after);
    // The restart and read-back that --restart and --verify ask for.
    FollowUpRequest FollowUpFor() const;
    void ReadBack(const VerifyReport& report);
    // A restart acknowledged without a read-back: where its port came back, or a failure when it did not.
    bool NotePortReturn(const std::optional<PortReturnReport>& report, std::string& message);

    // What the device made of a restart-type command (ATZ, AT&F, AT+ASSOCCLR): its OK or its "+READY"
    // acknowledge it; a hang-up while it waits is never one.
    enum class Acknowledgement { Acknowledged, Refused, NoAnswer };
    // What the device made of a restart-type command; nothing, after failing the run, when the device
    // hung up while the command waited (or the job never ran), when the link was out of step, or on a stop.
    std::optional<Acknowledgement> TakeAnswer(const StepResult& result);
    // "the device did not restart: it did not acknowledge ATZ (the device answered ERROR)".
    std::string NotAcknowledgedText(Acknowledgement acknowledgement, ToolText what, CommandId command) const;
    void FailNotAcknowledged(Acknowledgement acknowledgement, std::string message);
    // The link is out of step: the device never finished its answer to the last command sent.
    void FailOutOfStep(std::string before);

    // False when the step did not end as it should, after recording why (`failure` says what failed).
    bool Check(const StepResult& result, const std::string& failure);
    // The same for a write step, whose trail is kept.
    bool CheckWrite(const StepResult& result, const std::string& failure);
    // The file items the apply did not send: those the check left out and those it never reached.
    void NoteUnsentItems(const ConfigLoadOutcome& loaded, const SettingItemList& items);
    // The commands a write step sends are listed in the report.
    void Began(SessionStep step);
    bool IsQ470R() const;
    void Step(ToolText what);
    static ToolText StepText(SessionStep step);
    void Succeed(std::string message);
    void Fail(Outcome outcome, std::string message);
    void FailPort(const std::error_code& error);
    void FailDisconnected(ToolText step);
    void MarkInterrupted();
    // What the link sends and takes in goes to the trace; the commands sent, the refusals and the answer
    // lines of `at` to the outcome.
    void Observe(LinkTraffic traffic, std::string_view bytes, std::chrono::steady_clock::time_point when);

    const CommandPlan& plan_;
    RunControl& control_;
    ProgressReporter& progress_;
    DeviceSession session_;
    PortOutcome outcome_;
    std::string lastSent_;  // the last command sent on this port, for a message about its answer
    bool attached_ = false;
    bool finished_ = false;      // succeeded or failed on its own, not cut short by a stop
    bool collectLines_ = false;  // while `at` waits for its answer
    bool recordSent_ = false;    // while a write job runs
};

}  // namespace q470
