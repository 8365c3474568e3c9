#include "qt_translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>
#include <memory>

namespace q470 {
namespace {

// Owned by the application object, so it goes with it.
QPointer<QTranslator>& InstalledTranslator() {
    static QPointer<QTranslator> translator;
    return translator;
}

UiLanguage& InstalledLanguage() {
    static UiLanguage language = UiLanguage::English;
    return language;
}

void RemoveInstalled() {
    if (QTranslator* old = InstalledTranslator()) {
        QCoreApplication::removeTranslator(old);
        delete old;
    }
    InstalledLanguage() = UiLanguage::English;
}

}  // namespace

QStringList QtTranslationFolders() {
    return {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations"))};
}

bool InstallQtTranslations(UiLanguage language, const QStringList& folders) {
    RemoveInstalled();
    if (language == UiLanguage::English) return true;  // Qt's texts are English already
    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    const QLocale locale(QLocale::Korean, QLocale::SouthKorea);
    for (const QString& folder : folders) {
        if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) continue;
        QCoreApplication::installTranslator(translator.get());
        InstalledTranslator() = translator.release();
        InstalledLanguage() = language;
        return true;
    }
    return false;
}

UiLanguage QtTextsLanguage() {
    return InstalledTranslator() ? InstalledLanguage() : UiLanguage::English;
}

}  // namespace q470
