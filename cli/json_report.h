#pragma once

#include <string>
#include <vector>

#include "cli_request.h"
#include "cli_text.h"
#include "exit_status.h"
#include "outcome.h"
#include "port_outcome.h"
#include "setting_problem.h"

namespace q470 {

class JsonOut;

// What a run says about itself beside its ports.
struct RunSummary {
    int exitStatus = ExitOk;
    Outcome outcome = Outcome::Ok;
    std::string message;               // what ended the run before any port was opened
    std::vector<std::string> details;  // the lines that follow that message
    SettingProblems problems;          // apply: what the check of the file found before any port opened
    std::string traceProblem;          // why the trace is incomplete, or "" when it is not
};

// The one JSON document a run prints with --json, whatever happened: the shape the README documents.
// A command's own per-port fields are written by WriteCommandFields; a new command or field goes there.
class JsonReport {
public:
    static constexpr int kSchemaVersion = 1;

    JsonReport(const CliRequest& request, const CliText& text) : request_(request), text_(text) {}

    std::string Document(const RunSummary& run, const std::vector<PortOutcome>& ports) const;

private:
    void WritePort(JsonOut& json, const PortOutcome& port) const;
    void WriteCommandFields(JsonOut& json, const PortOutcome& port) const;
    void WriteDevice(JsonOut& json, const PortOutcome& port) const;
    void WriteWrite(JsonOut& json, const PortOutcome& port) const;
    void WriteProblems(JsonOut& json, const SettingProblems& problems, const std::string& traceProblem = {}) const;

    const CliRequest& request_;
    const CliText& text_;
};

// A failure's lines after its message: the cause, refused values, and what a write job wrote.
std::vector<std::string> FailureDetails(const PortOutcome& port, const TextCatalog& texts);

}  // namespace q470
