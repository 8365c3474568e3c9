#include "connection_texts.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "narrow_text.h"
#include "setting_values.h"
#include "string_table.h"

namespace q470 {
namespace {

struct CodeText {
    std::uint8_t code;
    UiText text;
};

// By the word of the line's parity: the codes are the line parity table's.
struct WordText {
    std::string_view word;
    UiText text;
};

constexpr std::array<WordText, 3> kParityTexts{{
    {"none", UiText::LineNoParity},
    {"odd", UiText::LineOddParity},
    {"even", UiText::LineEvenParity},
}};
constexpr std::array<CodeText, 3> kStopBitTexts{{
    {0, UiText::LineOneStopBit},
    {1, UiText::LineOneHalfStopBits},
    {2, UiText::LineTwoStopBits},
}};
constexpr std::array<CodeText, 2> kDataBitTexts{{
    {7, UiText::LineSevenDataBits},
    {8, UiText::LineEightDataBits},
}};

template <std::size_t N>
QByteArray CodeTextUtf8(const std::array<CodeText, N>& texts, std::uint8_t code) {
    for (const auto& entry : texts) {
        if (entry.code == code) return Text(entry.text).toUtf8();
    }
    return {};
}

QByteArray ParityTextUtf8(std::uint8_t parity) {
    const std::string word = kLineParityValues.NameOf(parity);
    for (const auto& entry : kParityTexts) {
        if (entry.word == word) return Text(entry.text).toUtf8();
    }
    return {};
}

// The two reasons a user can mend without help.
QString HintFor(const std::error_code& error) {
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted) {
        return Text(UiText::PortPermissionHint);
    }
    if (error == std::errc::device_or_resource_busy) return Text(UiText::PortBusyHint);
    return {};
}

// A system's reason ends with a full stop, whether or not the system gave it one.
QString AsSentence(const QString& reason) {
    QString sentence = reason.trimmed();
    if (!sentence.isEmpty() && !QStringLiteral(".!?").contains(sentence.back())) sentence += QLatin1Char('.');
    return sentence;
}

struct ReasonText {
    std::errc condition;
    UiText text;
};

// The reasons a user meets: the port is gone or mistyped, another program has it, the user may not
// open it, the adapter fails or was pulled out.
constexpr std::array<ReasonText, 8> kReasonTexts{{
    {std::errc::no_such_file_or_directory, UiText::CauseNoSuchPort},
    {std::errc::device_or_resource_busy, UiText::CauseBusy},
    {std::errc::permission_denied, UiText::CausePermission},
    {std::errc::operation_not_permitted, UiText::CausePermission},
    {std::errc::io_error, UiText::CauseIoError},
    {std::errc::no_such_device, UiText::CauseNoSuchDevice},
    {std::errc::no_such_device_or_address, UiText::CauseNoSuchDevice},
    {std::errc::not_connected, UiText::CauseConnectionClosed},
}};

bool IsSystemError(const std::error_code& error) {
    return error.category() == std::system_category() || error.category() == std::generic_category();
}

}  // namespace

QString SystemReasonText(const std::error_code& error) {
    for (const auto& entry : kReasonTexts) {
        if (error == entry.condition) return Text(entry.text);
    }
    // The serial layer's own end of the line (the device's side closed it) has no system number.
    if (!IsSystemError(error)) return Text(UiText::CauseConnectionClosed);
    return AsSentence(QString::fromStdU16String(NarrowToWide(error.message())));
}

QString LineSummaryText(const QString& portName, std::uint32_t baudRate, std::uint8_t parity, std::uint8_t stopBits,
                        std::uint8_t dataBits) {
    return FormatText(UiText::LineSummaryFormat, portName.toUtf8().constData(), static_cast<unsigned>(baudRate),
                      ParityTextUtf8(parity).constData(), CodeTextUtf8(kStopBitTexts, stopBits).constData(),
                      CodeTextUtf8(kDataBitTexts, dataBits).constData());
}

// The failure text, the system's reason and the hint read as sentences: "Failed to open the COM port:
// Device or resource busy. Another program is using this port. …".
QString PortOpenErrorText(const std::error_code& error) {
    QString failure = Text(UiText::PortOpenFailed).trimmed();
    if (failure.endsWith(QLatin1Char('.'))) failure.chop(1);
    QString text = failure + QStringLiteral(": ") + SystemReasonText(error);
    const QString hint = HintFor(error);
    if (!hint.isEmpty()) text += QLatin1Char(' ') + hint;
    return text;
}

QString PortLostText(const QString& portName, const std::error_code& error) {
    const std::vector<std::string> details{
        FormatText(UiText::LostPortLine, portName.toUtf8().constData()).toStdString(),
        FormatText(UiText::LostCauseLine, SystemReasonText(error).toUtf8().constData()).toStdString(),
        Text(UiText::LostNextStep).toStdString(),
    };
    return WithDetails(Text(UiText::PortProblem), details);
}

}  // namespace q470
