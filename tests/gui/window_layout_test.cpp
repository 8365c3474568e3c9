#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTest>

#include "keldan_q470r_configurator_dlg.h"
#include "widget_driver.h"
#include "window_rig.h"

namespace q470 {

class WindowLayoutTest : public QObject {
    Q_OBJECT

private slots:
    // A test that switches the language and fails before switching back leaves the next one in Korean.
    void init() { qputenv("Q470_LANG", "ko"); }

    // The window keeps its width when the status text of a read arrives, the longest included, and the
    // text is shown whole.
    void readKeepsTheWindowWidth_data() {
        QTest::addColumn<QByteArray>("language");
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("status");
        QTest::newRow("Q470R, ko") << QByteArray("ko") << int(sim::ModemModel::Q470R)
                                   << "Q470R/RX, INACTIVE, 설정 모드";
        QTest::newRow("KS410, ko") << QByteArray("ko") << int(sim::ModemModel::KS410)
                                   << "KELDAN-KS410, INACTIVE, 설정 모드";
        QTest::newRow("KS410, en") << QByteArray("en") << int(sim::ModemModel::KS410)
                                   << "KELDAN-KS410, INACTIVE, setting mode";
    }

    void readKeepsTheWindowWidth() {
        QFETCH(QByteArray, language);
        QFETCH(int, model);
        QFETCH(QString, status);
        qputenv("Q470_LANG", language);
        sim::ModemSettings settings = ModemOf(static_cast<sim::ModemModel>(model));
        settings.linkActive = false;
        settings.normalMode = false;
        WindowRig rig(settings);
        rig.ui.dialogResults = {false, true};
        rig.Show();
        QCoreApplication::processEvents();
        const int widthBefore = rig.window->width();

        rig.window->findChild<QAction*>("comConfigAction")->trigger();
        QVERIFY(rig.WaitUntilReady());
        QTest::qWait(50);  // a window that grows does so in its next layout pass
        qputenv("Q470_LANG", "ko");
        QCOMPARE(rig.TextOf("statusInfoLabel"), status);
        QCOMPARE(rig.window->width(), widthBefore);
        const auto& label = Child<QLabel>(*rig.window, "statusInfoLabel");
        QVERIFY2(label.width() >= label.fontMetrics().horizontalAdvance(status) + 2 * label.margin(),
                 qPrintable(
                     QStringLiteral("%1 < %2").arg(label.width()).arg(label.fontMetrics().horizontalAdvance(status))));
    }
};

}  // namespace q470

QTEST_MAIN(q470::WindowLayoutTest)
#include "window_layout_test.moc"
