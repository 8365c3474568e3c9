#include "allowed_values_text.h"

#include <QLocale>
#include <QStringList>

#include "string_table.h"

namespace q470 {
namespace {

// Grouped the same way in both languages: the texts around the numbers are Korean or English, the
// numbers are written as the device's tools write them.
QString Number(std::int64_t value, NumberStyle style) {
    if (style == NumberStyle::Plain) return QString::number(value);
    return QLocale(QLocale::English).toString(static_cast<qlonglong>(value));
}

}  // namespace

QString AllowedValuesLine(const std::vector<ValueRange>& ranges, NumberStyle style, const QString& unit) {
    QStringList parts;
    for (const ValueRange& range : ranges) {
        const QString first = Number(range.first, style);
        parts << (range.first == range.last ? first
                                            : FormatText(UiText::AllowedSpan, first.toUtf8().constData(),
                                                         Number(range.last, style).toUtf8().constData()));
    }
    QString values = parts.join(Text(UiText::AllowedOr));
    if (!unit.isEmpty()) values += QLatin1Char(' ') + unit;
    return FormatText(UiText::AllowedLine, values.toUtf8().constData());
}

}  // namespace q470
