#include "string_table.h"

#include <QByteArray>
#include <QLocale>

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

}  // namespace q470
