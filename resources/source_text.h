#pragma once

// A text as the program is written in it (English, UTF-8) with the key its translations are found by, and
// for a text that counts something, its English plural. The tables write each one through a marker that
// the translation tools find: QT_TRANSLATE_NOOP3 for the texts of the window (Qt's lupdate and gettext's
// xgettext both read it), NC_ and NPC_ (with a plural) for the command-line tool's own (xgettext). They
// only build the struct.

namespace q470 {

struct SourceText {
    const char* text;
    const char* key;
    const char* plural;  // null for a text that counts nothing
};

}  // namespace q470

#ifndef QT_TRANSLATE_NOOP3
#define QT_TRANSLATE_NOOP3(scope, text, key) \
    { text, key, nullptr }
#endif
#define NC_(key, text) \
    { text, key, nullptr }
#define NPC_(key, singular, plural) \
    { singular, key, plural }
