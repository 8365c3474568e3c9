#include "apply_step_text.h"

#include <QStringList>
#include <optional>

#include "job_code.h"
#include "setting_table.h"
#include "string_table.h"

namespace q470 {
namespace {

// A set command that writes one setting of the general page or a file, by the setting's name. The quiet
// mode is worded by what the job was doing with it.
std::optional<UiText> SettingName(CommandId command) {
    if (command == CmdQuietModeSet) return std::nullopt;
    const SettingRow* row = RowOfSetCommand(command);
    if (row == nullptr || row->stepText) return std::nullopt;
    return row->name;
}

// The pin of a pin command: the lowest bit set in the mask between "=" and the first ",".
std::optional<unsigned> GpioPinOf(const std::string& text) {
    const auto equals = text.find('=');
    if (equals == std::string::npos) return std::nullopt;
    const auto comma = text.find(',', equals);
    bool ok = false;
    const unsigned mask =
        QString::fromStdString(text.substr(equals + 1, comma == std::string::npos ? comma : comma - equals - 1))
            .toUInt(&ok, 16);
    if (!ok || mask == 0) return std::nullopt;
    unsigned pin = 0;
    while ((mask & (1u << pin)) == 0) ++pin;
    return pin;
}

enum class QuietStep { TurnOff, Restore, Write };

// The job opens by switching a quiet device to talking and closes by setting the mode it should keep.
QuietStep QuietStepOf(const AppliedStep& step, bool first, std::int32_t job) {
    const bool toTalking = step.text.size() >= 2 && step.text.compare(step.text.size() - 2, 2, "=0") == 0;
    if (first && toTalking) return QuietStep::TurnOff;
    return job == JobApplyGpio ? QuietStep::Restore : QuietStep::Write;
}

// The failed step as something the job was doing.
QString StepWords(const AppliedStep& step, bool first, std::int32_t job) {
    if (const auto name = SettingName(step.command))
        return FormatText(UiText::StepWriting, Text(*name).toUtf8().constData());
    switch (step.command) {
        case CmdUartSet:
            return Text(UiText::StepUart);
        case CmdGpioPeriodicSet:
            return Text(UiText::StepGpioReport);
        case CmdGpioConfigSet:
            if (const auto pin = GpioPinOf(step.text)) return FormatText(UiText::StepGpioPin, *pin);
            break;
        case CmdQuietModeSet:
            switch (QuietStepOf(step, first, job)) {
                case QuietStep::TurnOff:
                    return Text(UiText::StepQuietOff);
                case QuietStep::Restore:
                    return Text(UiText::StepQuietRestore);
                case QuietStep::Write:
                    return FormatText(UiText::StepWriting, Text(UiText::SettingQuietMode).toUtf8().constData());
            }
            break;
        default:
            break;
    }
    return Text(UiText::StepUnknown);
}

// A taken step as the thing it set.
QString StepNoun(const AppliedStep& step, bool first, std::int32_t job) {
    if (const auto name = SettingName(step.command)) return Text(*name);
    switch (step.command) {
        case CmdUartSet:
            return Text(UiText::NounUart);
        case CmdGpioPeriodicSet:
            return Text(UiText::NounGpioReport);
        case CmdQuietModeSet:
            switch (QuietStepOf(step, first, job)) {
                case QuietStep::TurnOff:
                    return Text(UiText::NounQuietOff);
                case QuietStep::Restore:
                    return Text(UiText::NounQuietRestored);
                case QuietStep::Write:
                    return Text(UiText::SettingQuietMode);
            }
            break;
        default:
            break;
    }
    return Text(UiText::StepUnknown);
}

// The taken steps with runs of neighbouring pins as one: "GPIO pins 0 to 3".
QStringList TakenNouns(const std::vector<AppliedStep>& taken, std::int32_t job) {
    QStringList nouns;
    std::optional<std::pair<unsigned, unsigned>> pins;
    const auto flushPins = [&] {
        if (!pins) return;
        nouns << (pins->first == pins->second ? FormatText(UiText::NounGpioPin, pins->first)
                                              : FormatText(UiText::NounGpioPins, pins->first, pins->second));
        pins.reset();
    };
    for (std::size_t i = 0; i < taken.size(); ++i) {
        const auto pin = taken[i].command == CmdGpioConfigSet ? GpioPinOf(taken[i].text) : std::nullopt;
        if (pin && pins && *pin == pins->second + 1) {
            pins->second = *pin;
            continue;
        }
        flushPins();
        if (pin) {
            pins = std::make_pair(*pin, *pin);
            continue;
        }
        nouns << StepNoun(taken[i], i == 0, job);
    }
    flushPins();
    return nouns;
}

}  // namespace

std::vector<std::string> ApplyTrailInWords(const ApplyTrail& trail, std::int32_t job) {
    if (trail.acknowledged.empty() && !trail.failed) return {};
    const QStringList nouns = TakenNouns(trail.acknowledged, job);
    const QString taken = nouns.isEmpty() ? Text(UiText::TrailNothing) : nouns.join(QStringLiteral(", "));
    std::vector<std::string> lines{FormatText(UiText::TrailTookSettings, taken.toUtf8().constData()).toStdString()};
    if (trail.failed) {
        const QString step = StepWords(*trail.failed, trail.acknowledged.empty(), job);
        lines.push_back(FormatText(UiText::TrailFailedStep, step.toUtf8().constData()).toStdString());
    }
    return lines;
}

}  // namespace q470
