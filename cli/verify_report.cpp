#include "verify_report.h"

#include "command_catalogue.h"
#include "line_choices.h"
#include "line_json.h"
#include "setting_table.h"
#include "setting_values.h"

namespace q470 {
namespace {

std::string Number(std::uint32_t value) {
    return std::to_string(value);
}

std::size_t Differences(const VerifyReport& report) {
    return CountDifferences(report.checks);
}

// "ATZ (the device answered ERROR)": the restart command and what the device made of it.
std::string RestartText(const VerifyReport& report) {
    const char* text = CommandText(report.restartCommand == CmdEnd ? CmdRestart : report.restartCommand);
    std::string command = text ? text : "";
    while (!command.empty() && command.back() == '\r') command.pop_back();
    return command;
}

ToolText RestartAnswerText(const VerifyReport& report) {
    switch (report.restartAnswer) {
        case RespOk:
        case RespReady:
        case RespReadyDebug:
            return ToolText::AcknowledgedReason;
        default:
            return report.restartRefused ? ToolText::AnsweredError : ToolText::NoAnswerReason;
    }
}

}  // namespace

std::string VerifySummary(const VerifyReport& report, const std::string& linesTried, const CliText& text) {
    const std::string where = report.line ? LineText(*report.line) : std::string();
    const std::string count = Number(static_cast<std::uint32_t>(report.checks.size()));
    switch (report.outcome) {
        case VerifyOutcome::Verified:
            return text.Count(ToolText::VerifyVerified, report.checks.size(), {count, where});
        case VerifyOutcome::Differs:
            return text.Count(ToolText::VerifyDiffers, report.checks.size(),
                              {Number(static_cast<std::uint32_t>(Differences(report))), count, where});
        case VerifyOutcome::NoAnswer:
            return text.Text(ToolText::VerifyNoAnswer, {linesTried});
        case VerifyOutcome::OtherDevice:
            return text.Text(ToolText::VerifyOtherDevice);
        case VerifyOutcome::ReadFailed:
            return text.Text(ToolText::VerifyReadFailed, {where});
        case VerifyOutcome::CannotOpen:
            return text.Text(ToolText::VerifyCannotOpen, {report.openError.message()});
        case VerifyOutcome::NotBack:
            return text.Text(ToolText::VerifyNotBack,
                             {Number(static_cast<std::uint32_t>(report.restartBudget.count()))});
        case VerifyOutcome::NotRestarted:
            return text.Text(ToolText::VerifyNotRestarted, {RestartText(report), text.Text(RestartAnswerText(report))});
        case VerifyOutcome::Stopped:
            return text.Text(ToolText::VerifyStopped);
    }
    return {};
}

std::vector<std::string> VerifyDifferenceLines(const VerifyReport& report, const CliText& text) {
    std::vector<std::string> lines;
    for (const auto& check : report.checks) {
        if (check.Matches()) continue;
        const bool answersThere = check.IsLine() && check.readBackLine;
        lines.push_back(text.Text(answersThere ? ToolText::VerifyUartDifference : ToolText::VerifyDifference,
                                  {CheckedSettingName(check), WrittenText(check), ReadBackText(check)}));
    }
    return lines;
}

Outcome VerifyFailure(const VerifyReport& report) {
    switch (report.outcome) {
        case VerifyOutcome::Verified:
            return Outcome::Ok;
        case VerifyOutcome::Differs:
        case VerifyOutcome::OtherDevice:
            return Outcome::NotAsWritten;
        case VerifyOutcome::CannotOpen:
            return PortOpenOutcome(report.openError);
        case VerifyOutcome::NotBack:
            return Outcome::Disconnected;
        case VerifyOutcome::Stopped:
            return Outcome::Interrupted;
        case VerifyOutcome::NotRestarted:
            return Outcome::NotRestarted;
        case VerifyOutcome::NoAnswer:
        case VerifyOutcome::ReadFailed:
            break;
    }
    return Outcome::NoAnswer;
}

void WriteVerifyJson(JsonOut& json, const VerifyReport& report) {
    json.StartObject();
    json.Key("outcome").String(VerifyOutcomeName(report.outcome));
    json.Key("ok").Bool(report.outcome == VerifyOutcome::Verified);
    json.Key("line");
    WriteLineJson(json, report.line ? &*report.line : nullptr);
    json.Key("readyMs").Int(report.readyAfter.count());
    json.Key("foundAs");
    if (report.foundAs.empty()) {
        json.Null();
    } else {
        json.String(report.foundAs);
    }
    const bool read = report.outcome == VerifyOutcome::Verified || report.outcome == VerifyOutcome::Differs;
    json.Key("settings").StartArray();
    for (const auto& check : report.checks) {
        json.StartObject();
        json.Key("setting").String(CheckedSettingName(check));
        json.Key("written").String(WrittenText(check));
        json.Key("readBack").String(ReadBackText(check));
        json.Key("matches");
        if (read) {
            json.Bool(check.Matches());
        } else {
            json.Null();
        }
        json.EndObject();
    }
    json.EndArray();
    json.Key("differences").StartArray();
    for (const auto& check : report.checks) {
        if (!read || check.Matches()) continue;
        json.StartObject();
        json.Key("setting").String(CheckedSettingName(check));
        json.Key("written").String(WrittenText(check));
        json.Key("readBack").String(ReadBackText(check));
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

}  // namespace q470
