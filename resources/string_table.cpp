#include "string_table.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QMutex>
#include <QRegularExpression>
#include <QStringList>
#include <QTranslator>
#include <map>
#include <memory>

#include "format_conversions.h"

// Resources of a static library are registered by hand; the macro must be used outside any namespace.
static void RegisterTranslationResources() {
    Q_INIT_RESOURCE(translations);
}

namespace q470 {
namespace {

constexpr char kContext[] = "UiText";

// The window's translation for a language ("ko"): compiled in from translations/q470_<language>.ts, or
// else a q470_<language>.qm in the "translations" folder beside the program (where a language can be
// tried out without building). Null when there is none. Loaded once and kept for the life of the program.
const QTranslator* TranslatorFor(const QString& language) {
    static QMutex mutex;
    // Owned here, so the program's end frees them (a leak checker sees none); a null entry: no translation.
    static std::map<QString, std::unique_ptr<QTranslator>> loaded;
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9_-]+$"));
    if (!name.match(language).hasMatch()) return nullptr;
    const QMutexLocker lock(&mutex);
    static const bool registered = (RegisterTranslationResources(), true);
    Q_UNUSED(registered);
    if (const auto found = loaded.find(language); found != loaded.end()) return found->second.get();
    QStringList folders{QStringLiteral(":/i18n")};
    if (QCoreApplication::instance() != nullptr)
        folders << QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
    std::unique_ptr<QTranslator> translator;
    for (const QString& folder : folders) {
        // The file of exactly this name: QTranslator on its own would fall back from "ko_KR" to "ko".
        const QString file = QStringLiteral("%1/q470_%2.qm").arg(folder, language);
        if (!QFileInfo::exists(file)) continue;
        auto candidate = std::make_unique<QTranslator>();
        if (candidate->load(file)) {
            translator = std::move(candidate);
            break;
        }
    }
    const QTranslator* found = translator.get();
    // Before the application object exists the folder beside the program is not known: look again later.
    if (found != nullptr || QCoreApplication::instance() != nullptr) loaded.emplace(language, std::move(translator));
    return found;
}

// The language with a translation for a locale name: "ko_KR" or else "ko"; "" for none.
QString TranslatedLanguage(const QString& localeName) {
    const QString name = localeName.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    for (const QString& candidate : {name, name.section(QLatin1Char('_'), 0, 0)}) {
        if (TranslatorFor(candidate) != nullptr) return candidate;
    }
    return {};
}

QString Translate(const QString& language, const SourceText& source) {
    if (*source.text == '\0') return {};
    if (const QTranslator* translator = TranslatorFor(language)) {
        const QString translated = translator->translate(kContext, source.text, source.key);
        if (!translated.isNull() && SameConversions(source.text, translated.toUtf8().toStdString())) return translated;
    }
    return QString::fromUtf8(source.text);
}

}  // namespace

QString InterfaceLanguage() {
    const QString forced = QString::fromLocal8Bit(qgetenv("Q470_LANG")).trimmed().toLower();
    if (forced == QLatin1String("en")) return {};
    if (!forced.isEmpty() && TranslatorFor(forced) != nullptr) return forced;
    return TranslatedLanguage(QLocale::system().name());
}

UiLanguage CurrentUiLanguage() {
    return InterfaceLanguage() == QLatin1String("ko") ? UiLanguage::Korean : UiLanguage::English;
}

QString Text(UiText id, UiLanguage language) {
    return Translate(language == UiLanguage::Korean ? QStringLiteral("ko") : QString(), UiTextSource(id));
}

QString Text(UiText id) {
    return Translate(InterfaceLanguage(), UiTextSource(id));
}

std::string WindowTexts::Translate(const SourceText& source) const {
    return q470::Translate(InterfaceLanguage(), source).toStdString();
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
