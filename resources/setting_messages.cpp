#include "setting_messages.h"

#include <rapidjson/error/error.h>

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>

#include "model_kind.h"
#include "setting_table.h"

namespace q470 {
namespace {

// The table's formats are constants; what fills them is data (paths, values), passed as arguments.
std::string Fill(const TextCatalog& texts, UiText id, ...) {
    const std::string translated = texts.Text(id);
    const char* format = translated.c_str();
    std::va_list args;
    va_start(args, id);
    std::va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

std::string Plain(const TextCatalog& texts, UiText id) {
    return texts.Text(id);
}

std::string Joined(const std::vector<std::string>& parts, const char* separator) {
    std::string text;
    for (const auto& part : parts) text += (text.empty() ? "" : separator) + part;
    return text;
}

std::string SettingName(const SettingProblem& problem, const TextCatalog& texts) {
    const SettingRow& row = RowOf(problem.field);
    return row.nameTakesPin ? Fill(texts, row.name, unsigned{problem.pin}) : Plain(texts, row.name);
}

// The file's member path, or the setting's name where there is no file.
std::string Subject(const SettingProblem& problem, const TextCatalog& texts) {
    return problem.member.empty() ? SettingName(problem, texts) : problem.member;
}

std::string TypeName(JsonType type, const TextCatalog& texts) {
    switch (type) {
        case JsonType::Boolean:
            return Plain(texts, UiText::TypeBoolean);
        case JsonType::Object:
            return Plain(texts, UiText::TypeObject);
        case JsonType::Array:
            return Plain(texts, UiText::TypeArray);
        default:
            return Plain(texts, UiText::TypeInteger);
    }
}

struct ParseErrorText {
    rapidjson::ParseErrorCode code;
    UiText text;
};

constexpr std::array<ParseErrorText, 15> kParseErrorTexts{{
    {rapidjson::kParseErrorDocumentEmpty, UiText::JsonDocumentEmpty},
    {rapidjson::kParseErrorDocumentRootNotSingular, UiText::JsonRootNotSingular},
    {rapidjson::kParseErrorValueInvalid, UiText::JsonValueInvalid},
    {rapidjson::kParseErrorObjectMissName, UiText::JsonObjectMissName},
    {rapidjson::kParseErrorObjectMissColon, UiText::JsonObjectMissColon},
    {rapidjson::kParseErrorObjectMissCommaOrCurlyBracket, UiText::JsonObjectMissCommaOrBrace},
    {rapidjson::kParseErrorArrayMissCommaOrSquareBracket, UiText::JsonArrayMissCommaOrBracket},
    {rapidjson::kParseErrorStringUnicodeEscapeInvalidHex, UiText::JsonUnicodeEscapeInvalid},
    {rapidjson::kParseErrorStringUnicodeSurrogateInvalid, UiText::JsonSurrogateInvalid},
    {rapidjson::kParseErrorStringEscapeInvalid, UiText::JsonEscapeInvalid},
    {rapidjson::kParseErrorStringMissQuotationMark, UiText::JsonStringUnclosed},
    {rapidjson::kParseErrorStringInvalidEncoding, UiText::JsonStringInvalidEncoding},
    {rapidjson::kParseErrorNumberTooBig, UiText::JsonNumberTooBig},
    {rapidjson::kParseErrorNumberMissFraction, UiText::JsonNumberMissFraction},
    {rapidjson::kParseErrorNumberMissExponent, UiText::JsonNumberMissExponent},
}};

std::string ParseErrorDescription(int code, const TextCatalog& texts) {
    for (const auto& entry : kParseErrorTexts) {
        if (entry.code == code) return Plain(texts, entry.text);
    }
    return Plain(texts, UiText::JsonSyntaxError);
}

std::string RangeText(const ValueRange& range, const TextCatalog& texts) {
    if (range.first == range.last) return std::to_string(range.first);
    return Fill(texts, UiText::AllowedRange, static_cast<long long>(range.first), static_cast<long long>(range.last));
}

std::string NoteText(const SettingProblem& problem, const TextCatalog& texts) {
    switch (problem.note) {
        case RuleNote::ChannelPlan:
            return Fill(texts, UiText::NoteChannelPlan, unsigned{problem.phyId});
        case RuleNote::NoChannelPlan:
            return Fill(texts, UiText::NoteNoChannelPlan, unsigned{problem.phyId});
        case RuleNote::ModesOfPin:
            return Fill(texts, UiText::NoteModesOfPin, unsigned{problem.pin});
        case RuleNote::ValuesOfMode:
            return Fill(texts, UiText::NoteValuesOfMode, unsigned{problem.pin}, unsigned{problem.ioMode});
        case RuleNote::None:
            break;
    }
    return {};
}

}  // namespace

std::string AllowedText(const SettingProblem& problem, const TextCatalog& texts) {
    std::vector<std::string> parts;
    for (const auto& range : problem.allowed) parts.push_back(RangeText(range, texts));
    if (parts.empty()) parts.push_back(Plain(texts, UiText::AllowedNone));
    if (const std::string note = NoteText(problem, texts); !note.empty()) parts.push_back(note);
    return Joined(parts, ", ");
}

std::string ProblemText(const SettingProblem& problem, const TextCatalog& texts) {
    const std::string subject = Subject(problem, texts);
    switch (problem.kind) {
        case ProblemKind::NotAllowed:
            return Fill(texts, UiText::ProblemNotAllowed, subject.c_str(), problem.value.c_str(),
                        AllowedText(problem, texts).c_str());
        case ProblemKind::UnknownMember: {
            std::string text = Fill(texts, UiText::ProblemUnknownMember, subject.c_str());
            if (!problem.suggestion.empty()) {
                text += Fill(texts, UiText::ProblemDidYouMean, problem.suggestion.c_str());
            }
            return text;
        }
        case ProblemKind::WrongType:
            return Fill(texts, UiText::ProblemWrongType, subject.c_str(), problem.value.c_str(),
                        TypeName(problem.expected, texts).c_str());
        case ProblemKind::Incomplete:
            return Fill(texts, UiText::ProblemIncomplete, subject.c_str(), Joined(problem.missing, ", ").c_str());
        case ProblemKind::Duplicate:
            return Fill(texts, UiText::ProblemDuplicate, subject.c_str());
        case ProblemKind::NotForModel:
            return Fill(texts, UiText::ProblemNotForModel, subject.c_str(), ModelName(problem.modelKind));
    }
    return subject;
}

std::vector<std::string> ProblemLines(const SettingProblems& problems, const TextCatalog& texts) {
    std::vector<std::string> lines;
    for (const bool refusals : {true, false}) {
        for (const auto& problem : problems) {
            if (IsRefusal(problem.kind) == refusals) lines.push_back(ProblemText(problem, texts));
        }
    }
    return lines;
}

std::vector<std::string> HeldValueLines(const SettingProblems& refusals, const TextCatalog& texts) {
    std::vector<std::string> lines;
    for (const auto& problem : refusals) {
        if (!IsRefusal(problem.kind)) continue;
        lines.push_back(Fill(texts, UiText::HeldValueNotAllowed, Subject(problem, texts).c_str(), problem.value.c_str(),
                             AllowedText(problem, texts).c_str()));
    }
    return lines;
}

std::string FileFailureText(const ConfigFileFailure& failure, const TextCatalog& texts) {
    switch (failure.cause) {
        case FileFailureCause::Missing:
            return Plain(texts, UiText::FileMissing);
        case FileFailureCause::NotRegularFile:
            return Plain(texts, UiText::FileNotRegular);
        case FileFailureCause::NoPermission:
            return Plain(texts, UiText::FileNoPermission);
        case FileFailureCause::OpenFailed:
            return Fill(texts, UiText::FileOpenFailed, std::strerror(failure.systemError));
        case FileFailureCause::ReadFailed:
            return Fill(texts, UiText::FileReadFailed, std::strerror(failure.systemError));
        case FileFailureCause::NotJson:
            return Fill(texts, UiText::FileNotJson, static_cast<unsigned>(failure.line),
                        static_cast<unsigned>(failure.column), ParseErrorDescription(failure.parseCode, texts).c_str());
        case FileFailureCause::None:
            break;
    }
    return {};
}

LoadRefusal LoadRefusalOf(ConfigLoadStatus status) {
    switch (status) {
        case ConfigLoadStatus::BadContent:
            return {UiText::ConfigParseError, true};
        case ConfigLoadStatus::NoValidValues:
            return {UiText::ConfigNoValidValues, false};
        case ConfigLoadStatus::WrongProduct:
            return {UiText::ConfigWrongProduct, false};
        case ConfigLoadStatus::FileUnreadable:
        case ConfigLoadStatus::Refused:
        case ConfigLoadStatus::Loaded:
            break;
    }
    return {};
}

std::vector<std::string> LoadCauseLines(const ConfigLoadOutcome& outcome, std::uint32_t connectedModelKind,
                                        const TextCatalog& texts) {
    switch (outcome.status) {
        case ConfigLoadStatus::FileUnreadable:
            return {FileFailureText(outcome.failure, texts)};
        case ConfigLoadStatus::BadContent:
            if (outcome.code == -1) return {Plain(texts, UiText::RootNotObject)};
            return {Fill(texts, outcome.code == -3 ? UiText::ModelNameNotString : UiText::ModelNameUnknown,
                         outcome.modelName.c_str())};
        case ConfigLoadStatus::WrongProduct:
            return {Fill(texts, UiText::FileForOtherModel, ModelName(outcome.fileModelKind),
                         ModelName(connectedModelKind))};
        case ConfigLoadStatus::Refused: {
            std::vector<std::string> lines = ProblemLines(outcome.problems, texts);
            const auto refusals = std::count_if(outcome.problems.begin(), outcome.problems.end(),
                                                [](const SettingProblem& p) { return IsRefusal(p.kind); });
            lines.insert(lines.begin() + refusals, Plain(texts, UiText::RefusedFileNote));
            return lines;
        }
        case ConfigLoadStatus::NoValidValues:
        case ConfigLoadStatus::Loaded:
            return ProblemLines(outcome.problems, texts);
    }
    return {};
}

std::vector<std::string> TrailLines(const ApplyTrail& trail, bool interrupted, const TextCatalog& texts) {
    if (trail.acknowledged.empty() && !trail.failed) return {};
    std::vector<std::string> commands;
    for (const auto& step : trail.acknowledged) commands.push_back(step.text);
    const std::string acknowledged = commands.empty() ? Plain(texts, UiText::TrailNothing) : Joined(commands, ", ");
    std::vector<std::string> lines{Fill(texts, UiText::TrailAcknowledged, acknowledged.c_str())};
    if (trail.failed) {
        lines.push_back(Fill(texts, interrupted ? UiText::TrailInterruptedStep : UiText::TrailFailedStep,
                             trail.failed->text.c_str()));
    }
    return lines;
}

}  // namespace q470
