// The station window against fixtures played by simulated modems: what each tile, the counts and the
// records show of units that pass, refuse a setting or hang up; the setup's refusals and its memory;
// opening the station from the main window, whose own connection goes first.

#include "station_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QSet>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <memory>
#include <vector>

#include "app_command_line.h"
#include "simulated_fixture.h"
#include "station_tile.h"
#include "string_table.h"
#include "window_rig.h"

namespace q470 {
namespace {

using std::chrono::milliseconds;

constexpr int kStationGuardMs = 15000;
constexpr std::uint64_t kFirstAddress = 0x00124B0000000101ull;
// Every simulated unit starts at PAN ID 1234; the profile moves it to 777.
constexpr char kProfile[] = R"({"Model Name": "Q470R", "General": {"PAN ID": 777}})";

sim::FixtureUnit Unit(std::uint64_t address, std::function<void(sim::SimulatedModem&)> prepare = {}) {
    sim::ModemSettings settings;
    settings.extendedAddress = address;
    return {settings, std::move(prepare)};
}

std::error_code NoPorts(std::vector<SerialPortEntry>& ports) {
    ports.clear();
    return {};
}

QString AddressText(std::uint64_t address) {
    return QString::fromStdString(FormatExtendedAddress(address));
}

// Fixtures in a temporary folder, a profile and a record beside them.
class Line {
public:
    Line() { std::ofstream(Path("line-a.json").toStdString()) << kProfile; }

    sim::SimulatedFixture& Fixture(std::vector<sim::FixtureUnit> units) {
        sim::FixturePlan plan{Path("by-path/fixture-" + QString::number(fixtures_.size() + 1)).toStdString(),
                              std::move(units), milliseconds(20), milliseconds(100)};
        fixtures_.push_back(std::make_unique<sim::SimulatedFixture>(std::move(plan)));
        fixtures_.back()->Start();
        return *fixtures_.back();
    }
    QString Links() const {
        QStringList links;
        for (const auto& fixture : fixtures_) links << QString::fromStdString(fixture->Link());
        return links.join(QLatin1Char(';'));
    }
    QString Path(const QString& name) const { return folder_.filePath(name); }

private:
    QTemporaryDir folder_;
    std::vector<std::unique_ptr<sim::SimulatedFixture>> fixtures_;
};

QStringList Column(const QTableWidget& table, int column) {
    QStringList cells;
    for (int row = 0; row < table.rowCount(); ++row) cells << table.item(row, column)->text();
    cells.sort();
    return cells;
}

}  // namespace

class StationWindowTest : public QObject {
    Q_OBJECT

private slots:
    // Three fixtures: a unit that passes, one that refuses the PAN ID and one that hangs up while it is
    // written. Each tile says in words what came of its unit; the records and counts agree; Stop ends
    // the station and the setup is there again next time.
    void eachFixtureShowsWhatCameOfItsUnit() {
        TemporaryProfile settings;
        FakeUiServices ui;
        Line line;
        sim::CommandFault hangUp;
        hangUp.hangUp = true;
        line.Fixture({Unit(kFirstAddress)});
        line.Fixture({Unit(kFirstAddress + 1,
                           [](sim::SimulatedModem& m) { m.SetFault("AT+PANID=", sim::CommandFault::Refused()); })});
        line.Fixture({Unit(kFirstAddress + 2, [hangUp](sim::SimulatedModem& m) { m.SetFault("AT+PANID=", hangUp); })});

        StationWindow window(line.Path("line-a.json"), NoPorts);
        window.SetTypedPaths(line.Links());
        window.SetLogFile(line.Path("station.sqlite3"));
        window.show();
        QVERIFY(window.Start());
        QCOMPARE(window.TileCount(), std::size_t{3});
        QTRY_COMPARE_WITH_TIMEOUT(window.Records().rowCount(), 3, kStationGuardMs);

        const QStringList links = line.Links().split(QLatin1Char(';'));
        QCOMPARE(window.TileFor(links[0])->StateText(),
                 FormatText(UiText::StationPassed, qUtf8Printable(AddressText(kFirstAddress))));
        const QString failedWriting =
            FormatText(UiText::StationFailed, qUtf8Printable(StationStepText(UnitStep::Apply)));
        for (int i : {1, 2}) {
            QCOMPARE(window.TileFor(links[i])->StateText(), failedWriting);
            QCOMPARE(window.TileFor(links[i])->DetailText(), AddressText(kFirstAddress + static_cast<unsigned>(i)));
        }
        const QString fail = Text(UiText::StationResultFail);
        QCOMPARE(Column(window.Records(), 5), (QStringList{fail, fail, Text(UiText::StationResultPass)}));
        QCOMPARE(Column(window.Records(), 1), QStringList(links));
        // Passed, failed and skipped come first in either language.
        QStringList numbers;
        for (const auto& match : QRegularExpression(QStringLiteral("\\d+")).globalMatch(window.CountsText()))
            numbers << match.captured();
        QCOMPARE(numbers.mid(0, 3), (QStringList{"1", "2", "0"}));

        window.Stop();
        QTRY_VERIFY_WITH_TIMEOUT(!window.Running(), kStationGuardMs);
        QVERIFY(window.findChild<QWidget*>(QStringLiteral("stationStart"))->isEnabled());

        StationWindow again({}, NoPorts);
        QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("stationProfile"))->text(), line.Path("line-a.json"));
        QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("stationTypedPaths"))->text(), line.Links());
        QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("stationLogFile"))->text(), line.Path("station.sqlite3"));
    }

    // Stop while a unit is being written: it finishes that step, is recorded interrupted, and its tile
    // says so; the station ends and can start again.
    void stopLetsTheUnitAtWorkFinishItsStep() {
        TemporaryProfile settings;
        FakeUiServices ui;
        Line line;
        line.Fixture({Unit(kFirstAddress, [](sim::SimulatedModem& m) {
            sim::CommandFault late;
            late.delay = milliseconds(400);
            m.SetFault("AT+PANID=", late);
        })});
        StationWindow window(line.Path("line-a.json"), NoPorts);
        window.SetTypedPaths(line.Links());
        window.SetLogFile(line.Path("station.sqlite3"));
        QVERIFY(window.Start());
        StationTile& tile = *window.TileFor(line.Links());
        const QString writing = FormatText(UiText::StationWorking, qUtf8Printable(StationStepText(UnitStep::Apply)));
        QTRY_COMPARE_WITH_TIMEOUT(tile.StateText(), writing, kStationGuardMs);
        window.Stop();
        QTRY_VERIFY_WITH_TIMEOUT(!window.Running(), kStationGuardMs);
        QCOMPARE(window.Records().rowCount(), 1);
        QCOMPARE(window.Records().item(0, 5)->text(), Text(UiText::StationResultInterrupted));
        QVERIFY2(tile.StateText().startsWith(Text(UiText::StationInterrupted).section(QLatin1Char('%'), 0, 0)),
                 qUtf8Printable(tile.StateText()));
        QVERIFY(window.findChild<QWidget*>(QStringLiteral("stationStart"))->isEnabled());
    }

    // On a screen too small for everything (1280 x 720 at scale 2), Start brings the buttons and the tiles
    // into view, and the key that started the station is on Stop.
    void startingShowsTheFixturesAndHandsTheKeyboardToStop() {
        TemporaryProfile settings;
        FakeUiServices ui;
        Line line;
        line.Fixture({Unit(kFirstAddress, [](sim::SimulatedModem& m) {
            sim::CommandFault late;
            late.delay = milliseconds(400);
            m.SetFault("AT+PANID=", late);
        })});
        StationWindow window(line.Path("line-a.json"), NoPorts);
        window.SetTypedPaths(line.Links());
        window.SetLogFile(line.Path("station.sqlite3"));
        window.resize(640, 360);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto* start = window.findChild<QPushButton*>(QStringLiteral("stationStart"));
        auto* stop = window.findChild<QPushButton*>(QStringLiteral("stationStop"));
        start->setFocus();
        QTest::keyClick(start, Qt::Key_Space);
        QVERIFY(window.Running());
        QCOMPARE(QApplication::focusWidget(), stop);
        const QWidget* view = window.findChild<QScrollArea*>()->viewport();
        const auto inView = [view](const QWidget* widget) {
            return view->rect().contains(QRect(widget->mapTo(view, QPoint(0, 0)), QSize(widget->width(), 1)));
        };
        QTRY_VERIFY(inView(stop));
        QVERIFY(inView(window.TileFor(line.Links())));
        QTest::keyClick(stop, Qt::Key_Space);
        QTRY_VERIFY_WITH_TIMEOUT(!window.Running(), kStationGuardMs);
    }

    // A fixture's port that is there but cannot be opened (here a device that is no terminal) says so on its tile, with
    // the system's reason, instead of waiting for a unit that can never be taken.
    void aPortThatCannotBeOpenedSaysWhy() {
        TemporaryProfile settings;
        FakeUiServices ui;
        Line line;
        const QString notAPort = line.Path("not-a-port");
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), notAPort));
        StationWindow window(line.Path("line-a.json"), NoPorts);
        window.SetTypedPaths(notAPort);
        window.SetLogFile(line.Path("station.sqlite3"));
        QVERIFY(window.Start());
        const StationTile& tile = *window.TileFor(notAPort);
        const QString cannotOpen = Text(UiText::StationPortUnavailable).section(QLatin1Char('%'), 0, 0);
        QTRY_VERIFY2_WITH_TIMEOUT(tile.StateText().startsWith(cannotOpen), qUtf8Printable(tile.StateText()), 3000);
        QVERIFY2(tile.StateText().size() > cannotOpen.size() + 2, qUtf8Printable(tile.StateText()));
        window.Stop();
        QTRY_VERIFY_WITH_TIMEOUT(!window.Running(), kStationGuardMs);
        QCOMPARE(window.Records().rowCount(), 0);
    }

    // Nothing starts without a profile that passes whole (its refusals named by member) and a fixture.
    void refusesToStartWithoutAProfileItCanApplyOrAFixture() {
        TemporaryProfile settings;
        FakeUiServices ui;
        Line line;
        std::ofstream(line.Path("bad.json").toStdString()) << R"({"Model Name": "Q470R", "General": {"PAN ID": 0}})";
        struct Case {
            QString profile;
            QString paths;
            QString says;
        };
        const std::vector<Case> cases{
            {line.Path("bad.json"), QStringLiteral("/dev/null"), QStringLiteral("General/PAN ID")},
            {line.Path("missing.json"), QStringLiteral("/dev/null"), QStringLiteral("missing.json")},
            {line.Path("line-a.json"), QString(), Text(UiText::StationNoFixtures)},
        };
        for (const Case& c : cases) {
            StationWindow window(c.profile, NoPorts);
            window.SetTypedPaths(c.paths);
            window.SetLogFile(line.Path("station.sqlite3"));
            QVERIFY(!window.Start());
            QVERIFY(!window.Running());
            QVERIFY2(ui.Messages().back().text.contains(c.says), qUtf8Printable(ui.Messages().back().text));
        }
    }

    // On any screen (run also on 1280x720 at scale 2, 640x360 logical) the window opens inside it and
    // nothing is squeezed: what does not fit scrolls. Every control has an access key of its own.
    void fitsTheScreenAndWorksFromTheKeyboard() {
        for (const char* language : {"ko", "en"}) {
            qputenv("Q470_LANG", language);
            TemporaryProfile settings;
            StationWindow window({}, NoPorts);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            const QRect room = window.screen()->availableGeometry();
            QVERIFY2(window.width() <= room.width() && window.height() <= room.height(),
                     qPrintable(QStringLiteral("%1x%2 on %3x%4")
                                    .arg(window.width())
                                    .arg(window.height())
                                    .arg(room.width())
                                    .arg(room.height())));
            QVERIFY(window.minimumSizeHint().width() <= room.width());
            QVERIFY(window.minimumSizeHint().height() <= room.height());

            QString keys;
            const auto take = [&keys](const QString& text) {
                const qsizetype at = text.indexOf(QLatin1Char('&'));
                QVERIFY2(at >= 0 && at + 1 < text.size(), qUtf8Printable(text));
                const QChar key = text.at(at + 1).toUpper();
                QVERIFY2(!keys.contains(key), qUtf8Printable(text));
                keys += key;
            };
            for (const auto* button : window.findChildren<QAbstractButton*>()) {
                if (button->objectName().startsWith(QStringLiteral("station"))) take(button->text());
            }
            for (const auto* label : window.findChildren<QLabel*>()) {
                if (label->buddy()) take(label->text());
            }
            QCOMPARE(keys.size(), 11);  // six buttons and boxes, five labelled fields
        }
        qputenv("Q470_LANG", "ko");
    }

    // The style's media glyphs (waiting, working, skipped) are black whatever the palette; on a dark
    // desktop a tile paints them in its text colour, also when the palette changes while it is shown.
    void stateGlyphsFollowThePalettesTextColour() {
        StationTile tile(QStringLiteral("/dev/ttyUSB0"));
        tile.show();
        const auto glyphColours = [&tile] {
            QSet<QRgb> colours;
            const QImage image = tile.Icon().toImage();
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QColor pixel = image.pixelColor(x, y);
                    if (pixel.alpha() == 255) colours.insert(pixel.rgb());
                }
            }
            return colours;
        };
        QPalette dark = tile.palette();
        dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
        dark.setColor(QPalette::WindowText, QColor(0xe8, 0xe8, 0xe8));
        tile.setPalette(dark);
        StationEvent started;
        started.kind = StationEvent::Kind::UnitStarted;
        started.port = "/dev/ttyUSB0";
        for (bool working : {false, true}) {
            if (working) tile.Show(started);
            const QSet<QRgb> colours = glyphColours();
            QVERIFY2(!colours.isEmpty(), working ? "working" : "waiting");
            QCOMPARE(colours, QSet<QRgb>{QColor(0xe8, 0xe8, 0xe8).rgb()});
        }
    }

    // q470-manager --station [PROFILE] opens the station's window instead of the main window.
    void theCommandLineOpensTheStation() {
        struct Case {
            QStringList arguments;
            AppCommandLine::Kind kind;
            QString profile;
            QString says;
        };
        const std::vector<Case> cases{
            {{"--station"}, AppCommandLine::Kind::Run, {}, {}},
            {{"--station", "line-a.json"}, AppCommandLine::Kind::Run, "line-a.json", {}},
            {{"--station", "a.json", "b.json"}, AppCommandLine::Kind::Error, {}, "one profile"},
            {{"--station", "--demo"}, AppCommandLine::Kind::Error, {}, "do not go together"},
        };
        for (const Case& c : cases) {
            const AppCommandLine request = AppCommandLine::Parse(QStringList{"q470-manager"} + c.arguments);
            QCOMPARE(request.kind, c.kind);
            QCOMPARE(request.station, c.kind == AppCommandLine::Kind::Run);
            QCOMPARE(request.stationProfile, c.profile);
            QVERIFY2(request.text.contains(c.says), qUtf8Printable(request.text));
        }
    }

    // The menu opens the station; the window's own port is closed first.
    void theMenuOpensTheStationAfterClosingTheWindowsPort() {
        WindowRig rig;
        QVERIFY(rig.Connect());
        auto* action = rig.window->findChild<QAction*>(QStringLiteral("stationAction"));
        QVERIFY(action);
        QString shown = action->text();
        QVERIFY(shown.remove(QLatin1Char('&')).contains(Text(UiText::MenuStation)));
        action->trigger();
        QVERIFY(!rig.window->IsPortOpen());
        auto* station = rig.window->findChild<StationWindow*>();
        QVERIFY(station);
        QVERIFY(station->isVisible());
        action->trigger();
        QCOMPARE(rig.window->findChildren<StationWindow*>().size(), 1);
        station->close();
    }
};

}  // namespace q470

QTEST_MAIN(q470::StationWindowTest)
#include "station_window_test.moc"
