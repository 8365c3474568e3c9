// Renders the production station's window to PNG files for review, in Korean and English: idle (set up,
// not started), busy (16 fixtures at work on simulated units) and finished (every unit recorded, one of
// them refused a setting); busy also at the size a 1280 x 720 screen holds at scale 2.
// Usage: q470-station-screenshots <output folder> [--scale FACTOR] [--dark]   (run with QT_QPA_PLATFORM=offscreen)
//   --scale 2   renders at device-pixel ratio 2 (file names end in _x2)
//   --dark      renders with a dark palette (file names end in _dark)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#include "dark_palette.h"
#include "simulated_fixture.h"
#include "station_tile.h"
#include "station_window.h"
#include "string_table.h"

namespace {

using q470::StationWindow;
using q470::UseDarkPalette;
using std::chrono::milliseconds;

constexpr int kFixtures = 16;
constexpr QSize kWindow{1280, 960};
constexpr QSize kSmallWindow{640, 360};
constexpr int kWaitMs = 60000;
constexpr std::uint32_t kSlowLine = 9600;  // units slow enough to be seen at work
constexpr std::uint64_t kFirstAddress = 0x00124B0000A10000ull;

std::error_code NoPorts(std::vector<q470::SerialPortEntry>& ports) {
    ports.clear();
    return {};
}

template <typename Done>
bool WaitFor(Done done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > kWaitMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

struct Options {
    QString folder;
    QByteArray scale;  // empty: the platform's own
    bool dark = false;
    bool valid = true;

    // Appended to every file name, so the variants can share a folder.
    QString Suffix() const {
        QString suffix;
        if (!scale.isEmpty()) suffix += QStringLiteral("_x") + QString::fromLatin1(scale);
        if (dark) suffix += QStringLiteral("_dark");
        return suffix;
    }
};

// Read before the application object exists: the scale factor must be set by then.
Options ParseOptions(int argc, char* argv[]) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dark") == 0) {
            options.dark = true;
        } else if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc) {
            options.scale = argv[++i];
        } else if (options.folder.isEmpty() && argv[i][0] != '-') {
            options.folder = QString::fromLocal8Bit(argv[i]);
        } else {
            options.valid = false;
        }
    }
    if (options.folder.isEmpty()) options.valid = false;
    return options;
}

bool Save(QWidget& window, const QDir& folder, const QString& name) {
    QApplication::processEvents();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    const bool saved = window.grab().save(path);
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "cannot write", qPrintable(path));
    return saved;
}

bool Render(const QDir& folder, const char* language, const QString& variant) {
    qputenv("Q470_LANG", language);
    const QString suffix = QStringLiteral("_") + QString::fromLatin1(language) + variant;
    QTemporaryDir work;
    const QString profile = work.filePath(QStringLiteral("line-a.json"));
    std::ofstream(profile.toStdString()) << R"({"Model Name": "Q470R", "General": {"PAN ID": 777}})";

    std::vector<std::unique_ptr<q470::sim::SimulatedFixture>> fixtures;
    QStringList links;
    for (int i = 0; i < kFixtures; ++i) {
        q470::sim::FixtureUnit unit;
        unit.settings.extendedAddress = kFirstAddress + static_cast<std::uint64_t>(i);
        unit.settings.baudRate = kSlowLine;
        const bool refuses = i == 5;
        unit.prepare = [refuses](q470::sim::SimulatedModem& modem) {
            modem.SetPacing(true, kSlowLine);
            if (refuses) modem.SetFault("AT+PANID=", q470::sim::CommandFault::Refused());
        };
        const std::string link =
            work.filePath(QStringLiteral("by-path/fixture-%1").arg(i + 1, 2, 10, QLatin1Char('0'))).toStdString();
        fixtures.push_back(std::make_unique<q470::sim::SimulatedFixture>(
            q470::sim::FixturePlan{link, {unit}, milliseconds(20 + 40 * i), std::nullopt}));
        links << QString::fromStdString(link);
    }

    StationWindow window(profile, NoPorts);
    window.SetTypedPaths(links.join(QLatin1Char(';')));
    window.SetLogFile(work.filePath(QStringLiteral("station.sqlite3")));
    window.resize(kWindow);
    window.show();
    bool ok = Save(window, folder, QStringLiteral("station_idle") + suffix);
    for (auto& fixture : fixtures) fixture->Start();
    window.resize(kSmallWindow);
    if (!window.Start()) return false;
    const QString working = q470::Text(q470::UiText::StationWorking).section(QLatin1Char('%'), 0, 0);
    const auto atWork = [&] {
        int count = 0;
        for (const QString& link : links) {
            const q470::StationTile* tile = window.TileFor(link);
            if (tile && tile->StateText().startsWith(working)) ++count;
        }
        return count;
    };
    ok &= WaitFor([&] { return atWork() >= kFixtures - 2; });
    // Started where only as much as a 1280 x 720 screen holds at scale 2 is in view: what does not fit
    // scrolls.
    ok &= Save(window, folder, QStringLiteral("station_small") + suffix);
    window.resize(kWindow);
    ok &= Save(window, folder, QStringLiteral("station_busy") + suffix);
    ok &= WaitFor([&] { return window.Records().rowCount() == kFixtures; });
    window.Stop();
    ok &= WaitFor([&] { return !window.Running(); });
    ok &= Save(window, folder, QStringLiteral("station_finished") + suffix);
    return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    const Options options = ParseOptions(argc, argv);
    if (!options.valid) {
        std::fprintf(stderr, "usage: q470-station-screenshots <output folder> [--scale FACTOR] [--dark]\n");
        return 2;
    }
    if (!options.scale.isEmpty()) qputenv("QT_SCALE_FACTOR", options.scale);
    // The setup the window remembers goes to a settings folder of its own, not the user's.
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    QApplication application(argc, argv);
    if (options.dark) UseDarkPalette();
    const QDir folder(options.folder);
    if (!folder.mkpath(QStringLiteral("."))) return 1;
    bool ok = true;
    for (const char* language : {"ko", "en"}) ok &= Render(folder, language, options.Suffix());
    return ok ? 0 : 1;
}
