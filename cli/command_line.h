#pragma once

#include <string>
#include <vector>

#include "cli_request.h"
#include "cli_text.h"

namespace q470 {

// Reads q470ctl's options and command. Everything that can be checked without a device is checked
// here, so that a usage error never reaches a port.
class CommandLine {
public:
    enum class Outcome { Run, Help, Version, UsageError };

    // `args` without the program name; messages in the language of `text`.
    explicit CommandLine(const std::vector<std::string>& args, CliText text = CliText(UiLanguage::English));

    Outcome Result() const { return outcome_; }
    const CliRequest& Request() const { return request_; }
    const std::string& Error() const { return error_; }

    static std::string Usage(const CliText& text);

private:
    bool ParseOptions(const std::vector<std::string>& args);
    bool TakeOption(int code, const char* value);
    bool TakeCommand();
    bool CheckCombination();
    bool CheckWriteOptions();
    bool CheckDiscover();
    bool CheckLogOptions();
    bool CheckStationOptions();
    bool CheckFileArguments();
    bool Fail(std::string message);

    CliText text_;
    CliRequest request_;
    std::vector<std::string> words_;  // the command and its arguments, in order
    Outcome outcome_ = Outcome::Run;
    std::string error_;
    bool timeoutGiven_ = false;
    std::string stationOption_;  // the last option given that belongs to station alone
};

}  // namespace q470
