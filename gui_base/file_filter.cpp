#include "file_filter.h"

namespace q470 {

QStringList QtNameFilters(const QString& tableFilter) {
    const QStringList parts = tableFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString text = parts[i].trimmed();
        const QString pattern = parts[i + 1].trimmed();
        if (text.isEmpty() || pattern.isEmpty()) break;  // "||" ends the list
        // Qt reads the patterns from the last parentheses of the text; the table's texts often carry
        // them already ("Config File (*.json)").
        const QString suffix = QStringLiteral("(%1)").arg(pattern);
        filters << (text.endsWith(suffix) ? text : QStringLiteral("%1 %2").arg(text, suffix));
    }
    return filters;
}

}  // namespace q470
