#pragma once

// A text as the program is written in it (English, UTF-8) with the key its translations are found by.
// The tables write each one through a marker that the translation tools find: QT_TRANSLATE_NOOP3 for the
// texts of the window (Qt's lupdate and gettext's xgettext both read it), NC_ for the command-line tool's
// own (xgettext). Both only build the pair.

namespace q470 {

struct SourceText {
    const char* text;
    const char* key;
};

}  // namespace q470

#ifndef QT_TRANSLATE_NOOP3
#define QT_TRANSLATE_NOOP3(scope, text, key) \
    { text, key }
#endif
#define NC_(key, text) \
    { text, key }
