// Renders the production station's window to PNG files for review, in Korean and English: idle (set up,
// not started), busy (16 fixtures at work on simulated units) and finished (every unit recorded, one of
// them refused a setting).
// Usage: q470-station-screenshots <output folder>   (run with QT_QPA_PLATFORM=offscreen)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTableWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

#include "simulated_fixture.h"
#include "station_tile.h"
#include "station_window.h"
#include "string_table.h"

namespace {

using q470::StationWindow;
using std::chrono::milliseconds;

constexpr int kFixtures = 16;
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

bool Save(QWidget& window, const QDir& folder, const QString& name) {
    QApplication::processEvents();
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    const bool saved = window.grab().save(path);
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "cannot write", qPrintable(path));
    return saved;
}

bool Render(const QDir& folder, const char* language) {
    qputenv("Q470_LANG", language);
    const QString suffix = QStringLiteral("_") + QString::fromLatin1(language);
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
    window.resize(1280, 960);
    window.show();
    bool ok = Save(window, folder, QStringLiteral("station_idle") + suffix);
    for (auto& fixture : fixtures) fixture->Start();
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
    ok &= Save(window, folder, QStringLiteral("station_busy") + suffix);
    ok &= WaitFor([&] { return window.Records().rowCount() == kFixtures; });
    window.Stop();
    ok &= WaitFor([&] { return !window.Running(); });
    ok &= Save(window, folder, QStringLiteral("station_finished") + suffix);
    return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    // The setup the window remembers goes to a settings folder of its own, not the user's.
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: q470-station-screenshots <output folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) return 1;
    bool ok = true;
    for (const char* language : {"ko", "en"}) ok &= Render(folder, language);
    return ok ? 0 : 1;
}
