#pragma once

#include <QString>
#include <QStringList>

namespace q470 {

// Turns a file-type filter of the string table ("text|pattern|text|pattern||", spaces allowed around
// the bars) into Qt name filters ("text (pattern)").
QStringList QtNameFilters(const QString& tableFilter);

}  // namespace q470
