#pragma once

#include <QStringList>

#include "ui_text.h"

namespace q470 {

// Qt's own texts (message box buttons, the file dialog and its questions) in the interface language.

// Where Qt's translations are looked for: Qt's own translations folder, then a "translations" folder
// beside the program (where a Windows installation keeps them).
QStringList QtTranslationFolders();

// Installs Qt's translation for `language` in place of the one installed before; English needs none.
// True when Qt's own texts are now in `language`. Needs the application object.
bool InstallQtTranslations(UiLanguage language, const QStringList& folders = QtTranslationFolders());

// The language Qt's own texts are in: English unless a translation is installed.
UiLanguage QtTextsLanguage();

}  // namespace q470
