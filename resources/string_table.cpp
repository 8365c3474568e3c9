#include "string_table.h"

#include <QByteArray>
#include <QLocale>
#include <QStringList>

namespace q470 {

UiLanguage CurrentUiLanguage() {
    const QByteArray forced = qgetenv("Q470_LANG");
    return ChooseUiLanguage(forced.constData(), QLocale::system().language() == QLocale::Korean);
}

QString Text(UiText id, UiLanguage language) {
    return QString::fromUtf8(UiTextUtf8(id, language));
}

QString Text(UiText id) {
    return Text(id, CurrentUiLanguage());
}

QString LoadUiString(int id) {
    constexpr int kFirstStringId = 101;
    constexpr int kLastStringId = 132;
    if (id < kFirstStringId || id > kLastStringId) return {};
    return Text(static_cast<UiText>(id));
}

QString WithDetails(const QString& message, const std::vector<std::string>& lines) {
    if (lines.empty()) return message;
    QStringList details;
    for (const auto& line : lines) details << QString::fromStdString(line);
    return message + QStringLiteral("\n\n") + details.join(QLatin1Char('\n'));
}

}  // namespace q470
