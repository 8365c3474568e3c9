#pragma once

#include <QString>
#include <QStringList>

#include "modem_settings.h"

namespace q470 {

// What the command line asks for. Parsed before the application object exists, so that --help and
// --version work without a display.
struct AppCommandLine {
    enum class Kind { Run, Help, Version, Error };

    Kind kind = Kind::Run;
    bool demo = false;
    sim::ModemModel demoModel = sim::ModemModel::Q470R;
    QString text;            // the help, the version line or what is wrong, for the terminal
    bool station = false;    // the production station's window instead of the main window
    QString stationProfile;  // with `station`: the profile to choose, when given

    // `arguments` as the program received them, the program's own name first.
    static AppCommandLine Parse(const QStringList& arguments);
};

}  // namespace q470
