// The window's traffic view: the lines on the wire appear live, only while it is shown, bounded, and
// can be saved; the view outlives a disconnection and an unplugged device.

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>
#include <algorithm>

#include "device_info_box.h"
#include "main_window_bars.h"
#include "string_table.h"
#include "traffic_view.h"
#include "widget_driver.h"
#include "window_placement.h"
#include "window_rig.h"

namespace q470 {

class TrafficViewTest : public QObject {
    Q_OBJECT

private:
    static QPushButton* Button(TrafficView& view, const char* name) {
        return view.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    static QLineEdit& Filter(TrafficView& view) { return *view.findChild<QLineEdit*>(QStringLiteral("trafficFilter")); }

private slots:
    void showsTheLinesOfTheWindowsJobsWhileOpen() {
        WindowRig rig;
        QVERIFY(rig.Connect());
        QVERIFY(rig.window->findChild<QAction*>("trafficAction") != nullptr);
        rig.window->findChild<QAction*>("trafficAction")->trigger();
        auto* view = rig.window->findChild<TrafficView*>("trafficView");
        QVERIFY(view != nullptr && view->isVisible());
        QCOMPARE(view->windowTitle(), Text(UiText::TrafficTitle));
        QVERIFY2(view->Lines().toPlainText().isEmpty(), "lines from before it was opened");

        rig.window->InfoBox().findChild<QPushButton*>("restartButton")->click();
        QTRY_VERIFY_WITH_TIMEOUT(view->Lines().toPlainText().contains(QStringLiteral("> ATZ\\r")), kHangGuardMs);
        QTRY_VERIFY_WITH_TIMEOUT(view->Lines().toPlainText().contains(QStringLiteral("< \\r\\nOK\\r")), kHangGuardMs);

        // Closed, it records nothing; the restart's reconnection goes by unseen.
        Button(*view, "closeButton")->click();
        QVERIFY(!view->isVisible());
        const QString shown = view->Lines().toPlainText();
        QVERIFY(rig.WaitUntilReady());
        rig.window->ShowTrafficView();
        view->TakeNew();
        QCOMPARE(view->Lines().toPlainText(), shown);

        Button(*view, "clearButton")->click();
        QVERIFY(view->Lines().toPlainText().isEmpty());
        Button(*view, "copyButton")->click();
    }

    // An unplugged device closes the port under the view; it stays and shows the next connection.
    void survivesAnUnpluggedDeviceAndTheNextConnection() {
        WindowRig rig;
        // The user connects again here: the window's own wait for the device could take the new port first.
        rig.window->Bars().FindDeviceAgainAction().setChecked(false);
        QVERIFY(rig.Connect());
        TrafficView& view = rig.window->ShowTrafficView();
        sim::CommandFault hangUp;
        hangUp.hangUp = true;
        rig.modem.SetFault("ATZ", hangUp);
        rig.window->InfoBox().findChild<QPushButton*>("restartButton")->click();
        QVERIFY(rig.WaitUntilDisconnected());
        QVERIFY(view.isVisible());
        rig.modem.ClearFaults();
        QVERIFY(rig.modem.Start());
        view.findChild<QPushButton*>("clearButton")->click();
        QVERIFY(rig.Connect());
        QTRY_VERIFY_WITH_TIMEOUT(view.Lines().toPlainText().contains(QStringLiteral("> AT+QM?\\r")), kHangGuardMs);
    }

    // A read's last query still owes its OK when the read's result is shown: the line appears as it
    // comes, with the time it came, not when a next job pays it.
    void showsAnOwedLineWhenItArrives() {
        WindowRig rig;
        sim::CommandFault lateOk;
        lateOk.trailerDelay = 400ms;
        rig.modem.SetFault("AT+URPU?", lateOk);
        TrafficView& view = rig.window->ShowTrafficView();
        QVERIFY(rig.Connect());
        QTest::qWait(800);
        view.TakeNew();
        const QStringList lines = view.Lines().toPlainText().split(QLatin1Char('\n'));
        const auto data = std::find_if(lines.begin(), lines.end(), [](const QString& line) {
            return line.contains(QStringLiteral("< \\r\\n+URPU,"));
        });
        QVERIFY2(data != lines.end(), qPrintable(view.Lines().toPlainText()));
        QVERIFY2(data + 1 != lines.end() && (data + 1)->endsWith(QStringLiteral("< \\r\\nOK\\r\\n")),
                 qPrintable(view.Lines().toPlainText()));
        const auto timeOf = [](const QString& line) {
            return QTime::fromString(line.section(QLatin1Char(' '), 0, 0), QStringLiteral("HH:mm:ss.zzz"));
        };
        const int apartMs = timeOf(*data).msecsTo(timeOf(*(data + 1)));
        QVERIFY2(apartMs >= 350 && apartMs < 700, qPrintable(*(data + 1)));
        QCOMPARE(rig.TakeCommands().back(), std::string("AT+URPU?\r"));
    }

    // The view keeps the newest lines only, and Save writes what it shows.
    void keepsTheNewestLinesAndSavesThem() {
        TrafficLog log(5000);
        std::atomic<bool> recording{false};
        TrafficView view(log, recording, nullptr);
        view.show();
        QVERIFY(recording);
        for (int i = 0; i < TrafficView::kMaxLines + 500; ++i)
            log.Add(LinkTraffic::Heard, "\r\n+ACTIVE," + std::to_string(i));
        view.TakeNew();
        QCOMPARE(view.Lines().blockCount(), TrafficView::kMaxLines);
        QVERIFY(view.Lines().toPlainText().endsWith(QStringLiteral("< \\r\\n+ACTIVE,2499")));

        FakeUiServices ui;
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("traffic.txt"));
        ui.fileNames.push_back(path);
        view.findChild<QPushButton*>("saveButton")->click();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()), view.Lines().toPlainText() + QLatin1Char('\n'));
        QVERIFY(ui.Messages().empty());

        ui.fileNames.push_back(folder.filePath(QStringLiteral("no/such/folder/traffic.txt")));
        view.findChild<QPushButton*>("saveButton")->click();
        QCOMPARE(ui.Messages().size(), std::size_t(1));
        QCOMPARE(ui.Messages().front().text, Text(UiText::TrafficSaveFailed));
        view.hide();
        QVERIFY(!recording);
    }

    // A typed line goes to the device through the window's link and its whole answer is shown; the field
    // is open only while the port is open and no job runs, and Up brings back what was sent.
    void sendsATypedCommandAndKeepsItsHistory() {
        WindowRig rig;
        rig.ui.dialogResults = {false, true};
        rig.Show();
        TrafficView& view = rig.window->ShowTrafficView();
        QLineEdit& command = view.Command();
        QVERIFY2(!command.isEnabled(), "a command field with the port closed");
        rig.window->ShowConnectionDialog();
        QVERIFY(rig.WaitUntilReady());
        QVERIFY(command.isEnabled());
        rig.TakeCommands();

        command.setFocus();
        QTest::keyClicks(&command, QStringLiteral("AT+RFCH?"));
        QTest::keyClick(&command, Qt::Key_Return);
        QCOMPARE(rig.TakeCommands(1), std::vector<std::string>{"AT+RFCH?\r"});
        QVERIFY(command.text().isEmpty());
        QVERIFY(rig.IsReady());
        view.TakeNew();
        const QString shown = view.Lines().toPlainText();
        QVERIFY2(shown.contains(QStringLiteral("> AT+RFCH?\\r")), qPrintable(shown));
        // The final OK is in before the field takes the next line.
        QVERIFY2(shown.endsWith(QStringLiteral("< \\r\\nOK\\r\\n")), qPrintable(shown));
        // Every line begins with the time of day it went or came.
        const QRegularExpression timed(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d [<>]"));
        for (const QString& line : shown.split(QLatin1Char('\n')))
            QVERIFY2(timed.match(line).hasMatch(), qPrintable(line));

        QTest::keyClicks(&command, QStringLiteral("AT+VER?"));
        QTest::keyClick(&command, Qt::Key_Return);
        QVERIFY(rig.WaitUntilReady());
        QTest::keyClicks(&command, QStringLiteral("AT"));
        QTest::keyClick(&command, Qt::Key_Up);
        QCOMPARE(command.text(), QStringLiteral("AT+VER?"));
        QTest::keyClick(&command, Qt::Key_Up);
        QCOMPARE(command.text(), QStringLiteral("AT+RFCH?"));
        QTest::keyClick(&command, Qt::Key_Up);
        QCOMPARE(command.text(), QStringLiteral("AT+RFCH?"));
        QTest::keyClick(&command, Qt::Key_Down);
        QTest::keyClick(&command, Qt::Key_Down);
        QCOMPARE(command.text(), QStringLiteral("AT"));  // what was being typed comes back

        // While a job runs nothing can be sent.
        rig.window->InfoBox().findChild<QPushButton*>("restartButton")->click();
        QVERIFY(!command.isEnabled());
        QVERIFY(!view.findChild<QPushButton*>("sendButton")->isEnabled());
    }

    // The filter shows only the lines holding its text; a reader scrolled up keeps his place.
    void filtersAndKeepsTheReadersPlace() {
        TrafficLog log(5000);
        std::atomic<bool> recording{false};
        TrafficView view(log, recording, nullptr);
        view.show();
        for (int i = 0; i < 200; ++i) log.Add(LinkTraffic::Heard, "\r\n+ACTIVE," + std::to_string(i));
        log.Add(LinkTraffic::Sent, "AT+VER?\r");
        view.TakeNew();
        QScrollBar& bar = *view.Lines().verticalScrollBar();
        QCOMPARE(bar.value(), bar.maximum());
        bar.setValue(10);
        for (int i = 0; i < 50; ++i) log.Add(LinkTraffic::Heard, "\r\n+INACTIVE");
        view.TakeNew();
        QCOMPARE(bar.value(), 10);
        bar.setValue(bar.maximum());
        log.Add(LinkTraffic::Heard, "\r\n+LAST");
        view.TakeNew();
        QCOMPARE(bar.value(), bar.maximum());

        Filter(view).setText(QStringLiteral("at+ver"));
        QCOMPARE(view.Lines().blockCount(), 1);
        QVERIFY(view.Lines().toPlainText().endsWith(QStringLiteral("> AT+VER?\\r")));
        log.Add(LinkTraffic::Heard, "\r\n+ACTIVE,9");
        log.Add(LinkTraffic::Sent, "AT+VER?\r");
        view.TakeNew();
        QCOMPARE(view.Lines().blockCount(), 2);
        Filter(view).clear();
        QCOMPARE(view.Lines().blockCount(), 254);
    }

    // Beside the window, on the side with room, never off the screen.
    void opensBesideTheWindow_data() {
        QTest::addColumn<QRect>("main");
        QTest::addColumn<QPoint>("expected");
        const QRect screen(0, 0, 1920, 1080);
        QTest::newRow("room on the right") << QRect(100, 50, 800, 600) << QPoint(900, 50);
        QTest::newRow("room on the left only") << QRect(1000, 50, 800, 600) << QPoint(300, 50);
        QTest::newRow("no room on either side") << QRect(400, 50, 1200, 600) << QPoint(1220, 50);
        QTest::newRow("top kept on the screen") << QRect(100, 900, 800, 600) << QPoint(900, 580);
    }
    void opensBesideTheWindow() {
        QFETCH(QRect, main);
        QFETCH(QPoint, expected);
        QCOMPARE(BesidePosition(main, QSize(700, 500), QRect(0, 0, 1920, 1080)), expected);
    }

    void theWindowsViewDoesNotCoverIt() {
        WindowRig rig;
        rig.ui.dialogResults = {false};
        rig.Show();
        rig.window->move(0, 0);
        TrafficView& view = rig.window->ShowTrafficView();
        QVERIFY2(!view.frameGeometry().intersects(rig.window->frameGeometry()),
                 qPrintable(QStringLiteral("%1,%2 over the window").arg(view.x()).arg(view.y())));
    }
};

}  // namespace q470

QTEST_MAIN(q470::TrafficViewTest)
#include "traffic_view_test.moc"
