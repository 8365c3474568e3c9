#include "verify_report.h"

#include "line_choices.h"
#include "value_names.h"

namespace q470 {
namespace {

std::string Number(std::uint32_t value) {
    return std::to_string(value);
}

std::string ValueText(const SettingCheck& check, std::uint32_t value) {
    switch (check.setting) {
        case CheckedSetting::OpMode:
            return kOperationModeNames.NameOf(value);
        case CheckedSetting::NetRole:
            return kNetworkRoleNames.NameOf(value);
        case CheckedSetting::GpioPin: {
            const auto mode = static_cast<std::uint8_t>(value >> 8);
            return kGpioModeNames.NameOf(mode) + ":" + GpioValueNames(check.pin, mode).NameOf(value & 0xFFu);
        }
        default:
            return Number(value);
    }
}

std::size_t Differences(const VerifyReport& report) {
    return CountDifferences(report.checks);
}

}  // namespace

std::string CheckedSettingName(const SettingCheck& check) {
    switch (check.setting) {
        case CheckedSetting::OpMode:
            return "mode";
        case CheckedSetting::NetRole:
            return "role";
        case CheckedSetting::PanId:
            return "panid";
        case CheckedSetting::UserPanId:
            return "upanid";
        case CheckedSetting::PhyId:
            return "phyid";
        case CheckedSetting::RfChannel:
            return "channel";
        case CheckedSetting::Uart:
            return "uart";
        case CheckedSetting::QuietMode:
            return "quiet";
        case CheckedSetting::RxPullUp:
            return "rx-pullup";
        case CheckedSetting::GpioPin:
            return "pin " + Number(check.pin);
        case CheckedSetting::ReportInterval:
            return "interval";
        case CheckedSetting::SendToPeer:
            return "send-to-peer";
    }
    return "";
}

std::string WrittenText(const SettingCheck& check) {
    if (check.setting == CheckedSetting::Uart) return LineText(check.writtenLine);
    return ValueText(check, check.written);
}

std::string ReadBackText(const SettingCheck& check) {
    if (check.setting == CheckedSetting::Uart) return check.readBackLine ? LineText(*check.readBackLine) : "-";
    return check.readBack ? ValueText(check, *check.readBack) : "-";
}

std::string VerifySummary(const VerifyReport& report, const std::string& connectionText) {
    const std::string where = report.line ? LineText(*report.line) : std::string();
    const std::string count = Number(static_cast<std::uint32_t>(report.checks.size()));
    switch (report.outcome) {
        case VerifyOutcome::Verified:
            return "verified after the restart: " + count + " settings read back as written (the device answers at " +
                   where + ")";
        case VerifyOutcome::Differs:
            return "verify: " + Number(static_cast<std::uint32_t>(Differences(report))) + " of " + count +
                   " settings differ from what was written (the device answers at " + where + "):";
        case VerifyOutcome::NoAnswer:
            return "verify: the device did not answer after its restart at " + connectionText;
        case VerifyOutcome::OtherDevice:
            return "verify: after the restart another model answers on this port";
        case VerifyOutcome::ReadFailed:
            return "verify: the device answered after its restart at " + where + " but could not be read";
        case VerifyOutcome::CannotOpen:
            return "verify: the port could not be opened again: " + report.openError.message();
        case VerifyOutcome::Stopped:
            return "verify: interrupted";
    }
    return {};
}

std::vector<std::string> VerifyDifferenceLines(const VerifyReport& report) {
    std::vector<std::string> lines;
    for (const auto& check : report.checks) {
        if (check.Matches()) continue;
        std::string line = CheckedSettingName(check) + ": written " + WrittenText(check) + ", read back " +
                           ReadBackText(check);
        if (check.setting == CheckedSetting::Uart && check.readBackLine) line += " (the device answers there)";
        lines.push_back(std::move(line));
    }
    return lines;
}

void WriteVerifyJson(ReportJson& json, const VerifyReport& report) {
    json.Key("verify");
    json.StartObject();
    WriteStringJson(json, "outcome", VerifyOutcomeName(report.outcome));
    json.Key("ok");
    json.Bool(report.outcome == VerifyOutcome::Verified);
    if (report.line) {
        WriteLineJson(json, "line", *report.line);
    } else {
        json.Key("line");
        json.Null();
    }
    json.Key("readyMs");
    json.Int64(report.readyAfter.count());
    const bool read = report.outcome == VerifyOutcome::Verified || report.outcome == VerifyOutcome::Differs;
    json.Key("settings");
    json.StartArray();
    for (const auto& check : report.checks) {
        json.StartObject();
        WriteStringJson(json, "setting", CheckedSettingName(check));
        WriteStringJson(json, "written", WrittenText(check));
        WriteStringJson(json, "readBack", ReadBackText(check));
        json.Key("matches");
        if (read) {
            json.Bool(check.Matches());
        } else {
            json.Null();
        }
        json.EndObject();
    }
    json.EndArray();
    json.Key("differences");
    json.StartArray();
    for (const auto& check : report.checks) {
        if (!read || check.Matches()) continue;
        json.StartObject();
        WriteStringJson(json, "setting", CheckedSettingName(check));
        WriteStringJson(json, "written", WrittenText(check));
        WriteStringJson(json, "readBack", ReadBackText(check));
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
}

}  // namespace q470
