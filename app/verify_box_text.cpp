#include "verify_box_text.h"

#include <string>
#include <vector>

#include "line_choices.h"
#include "setting_table.h"
#include "string_table.h"

namespace q470 {
namespace {

constexpr std::uint32_t kRoleMaster = 1;
constexpr std::uint32_t kRoleSlave = 2;

// The names the pages and the file messages use for the settings: the row's name, but the channel and
// the UART as the general page labels them and a pin with its number.
QString SettingName(const SettingCheck& check) {
    switch (check.setting) {
        case Setting::RfChannel:
            return Text(UiText::ChannelLabel);
        case Setting::BaudRate:  // the UART's four settings are one check
            return Text(UiText::UartSettingsLabel);
        case Setting::GpioPin:
            return Text(UiText::SettingGpioPin) + QLatin1Char(' ') + QString::number(check.pin);
        default:
            break;
    }
    const SettingRow& row = RowOf(check.setting);
    return row.readBack == ReadBack::Value ? Text(row.name) : QString();
}

QString ValueText(const SettingCheck& check, std::uint32_t value) {
    if (check.setting == Setting::NetRole && (value == kRoleMaster || value == kRoleSlave)) {
        return Text(value == kRoleMaster ? UiText::RoleMaster : UiText::RoleSlave);
    }
    // A pin's mode and its configuration, as the GPIO page sets them apart.
    if (check.setting == Setting::GpioPin) return QStringLiteral("%1/%2").arg(value >> 8).arg(value & 0xFFu);
    return QString::number(value);
}

QString WrittenText(const SettingCheck& check) {
    if (check.IsLine()) return QString::fromStdString(LineText(check.writtenLine));
    return ValueText(check, check.written);
}

QString ReadBackText(const SettingCheck& check) {
    if (check.IsLine()) {
        return check.readBackLine ? QString::fromStdString(LineText(*check.readBackLine)) : QStringLiteral("-");
    }
    return check.readBack ? ValueText(check, *check.readBack) : QStringLiteral("-");
}

std::vector<std::string> DifferenceLines(const VerifyReport& report) {
    std::vector<std::string> lines;
    for (const SettingCheck& check : report.checks) {
        if (check.Matches()) continue;
        lines.push_back(FormatText(UiText::VerifyDifferenceLine, SettingName(check).toUtf8().constData(),
                                   WrittenText(check).toUtf8().constData(), ReadBackText(check).toUtf8().constData())
                            .toStdString());
    }
    return lines;
}

QString Unverified(const VerifyReport& report) {
    switch (report.outcome) {
        case VerifyOutcome::NoAnswer:
            return Text(UiText::VerifyNoAnswer);
        case VerifyOutcome::OtherDevice:
            return Text(UiText::VerifyOtherDevice);
        case VerifyOutcome::ReadFailed:
            return Text(UiText::VerifyReadFailed);
        case VerifyOutcome::CannotOpen:
            return FormatText(UiText::VerifyCannotOpen, report.openError.message().c_str());
        case VerifyOutcome::NotBack:
            return FormatText(UiText::VerifyNotBack, static_cast<unsigned>(report.restartBudget.count()));
        case VerifyOutcome::NotRestarted:
            return Text(UiText::VerifyNotRestarted);
        case VerifyOutcome::Stopped:
            return Text(UiText::VerifyStopped);
        case VerifyOutcome::Verified:
        case VerifyOutcome::Differs:
            break;
    }
    return {};
}

}  // namespace

QString VerifyBoxText(const VerifyReport& report) {
    std::vector<std::string> after;
    if (!report.foundAs.empty())
        after.push_back(FormatText(UiText::VerifyFoundAs, report.foundAs.c_str()).toStdString());
    const std::string line = report.line ? LineText(*report.line) : std::string();
    switch (report.outcome) {
        case VerifyOutcome::Verified:
            return WithDetails(
                FormatText(UiText::VerifyVerified, static_cast<unsigned>(report.checks.size()), line.c_str()), after);
        case VerifyOutcome::Differs: {
            std::vector<std::string> lines = DifferenceLines(report);
            lines.insert(lines.end(), after.begin(), after.end());
            return WithDetails(FormatText(UiText::VerifyDiffers, static_cast<unsigned>(CountDifferences(report.checks)),
                                          static_cast<unsigned>(report.checks.size())),
                               lines);
        }
        default:
            after.insert(after.begin(), Text(UiText::VerifyNothingCompared).toStdString());
            return WithDetails(Unverified(report), after);
    }
}

bool VerifyBoxIsGood(const VerifyReport& report) {
    return report.outcome == VerifyOutcome::Verified;
}

}  // namespace q470
