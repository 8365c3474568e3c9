// The window starts from whatever the per-user profile holds, or from no profile at all: values no
// version ever wrote, a folder that is missing or cannot be written. It opens, connects with the
// connection dialog's own choices, and nothing crashes.

#include "keldan_q470r_configurator_dlg.h"

#include <QComboBox>
#include <QFile>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include "com_config_dlg.h"
#include "widget_driver.h"
#include "window_rig.h"

namespace q470 {
namespace {

using Values = QList<QPair<QString, QVariant>>;

void PointProfileAt(const QString& folder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
}

int Selected(const WindowRig& rig, const char* list) {
    return Child<QComboBox>(rig.window->ConnectionDialog(), QString::fromLatin1(list)).currentIndex();
}

}  // namespace

class WindowProfileTest : public QObject {
    Q_OBJECT

private slots:
    void absurdProfile_data() {
        QTest::addColumn<Values>("stored");
        QTest::newRow("speed 0, parity 9") << Values{{"Serial port buadrate", 0}, {"Serial port parity", 9}};
        QTest::newRow("words for numbers") << Values{{"Serial port buadrate", "fast"},
                                                     {"Serial port stopbit", "one"},
                                                     {"Serial port databit", "eight"},
                                                     {"Serial port parity", ""}};
        QTest::newRow("beyond every width") << Values{{"Serial port buadrate", "99999999999999999999999"},
                                                      {"Serial port databit", -8},
                                                      {"Serial port stopbit", 4294967298LL}};
        QTest::newRow("a port name of 10,000 characters")
            << Values{{"Serial port name", QString(10000, QLatin1Char('X'))}, {"Serial port buadrate", 1200}};
    }

    // The connection dialog selects nothing for what it does not offer and connects with its defaults.
    void absurdProfile() {
        QFETCH(Values, stored);
        WindowRig rig;
        for (const auto& [name, value] : stored) rig.profile.Write(name, value);
        QVERIFY(rig.Connect());
        const ConnectionLine line = rig.window->OpenedLine();
        QCOMPARE(line.baudRate, 9600u);
        QCOMPARE(int(line.dataBits), 8);
        QCOMPARE(int(line.parity), 0);
        QCOMPARE(int(line.stopBits), 0);
        for (const auto& [name, value] : stored) {
            const char* list = name.endsWith("buadrate")  ? "speedList"
                               : name.endsWith("parity")  ? "parityList"
                               : name.endsWith("stopbit") ? "stopBitsList"
                               : name.endsWith("databit") ? "dataBitsList"
                                                          : nullptr;
            if (list) QCOMPARE(Selected(rig, list), -1);
        }
    }

    void unusableProfileFolder_data() {
        QTest::addColumn<bool>("writable");  // the folder is missing but can be made; otherwise it cannot
        QTest::newRow("missing") << true;
        QTest::newRow("cannot be made") << false;
    }

    // Nothing can be read, so the dialog starts from its defaults; the user's choice cannot be kept
    // for the next start where the folder cannot be made, but this session connects with it all the
    // same.
    void unusableProfileFolder() {
        QFETCH(bool, writable);
        QTemporaryDir base;
        QString folder = base.filePath(QStringLiteral("not/yet/there"));
        if (!writable) {
            // A plain file where a folder would have to be: not even root can make one below it.
            QFile blocker(base.filePath(QStringLiteral("file")));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            folder = base.filePath(QStringLiteral("file/profile"));
        }
        WindowRig rig;
        rig.modem.UpdateSettings([](sim::ModemSettings& s) { s.baudRate = 19200; });  // the rate chosen below
        PointProfileAt(folder);
        rig.ui.dialogDriver = [](ComConfigDlg& dialog) {
            dialog.show();
            const bool chosen = ChooseItem(Child<QComboBox>(dialog, QStringLiteral("speedList")), "19200");
            dialog.accept();
            return chosen;
        };
        QVERIFY(rig.Connect());
        QCOMPARE(rig.window->OpenedLine().baudRate, 19200u);
        QCOMPARE(rig.profile.Read(QStringLiteral("Serial port buadrate")).toInt(), writable ? 19200 : 0);
    }
};

}  // namespace q470

QTEST_MAIN(q470::WindowProfileTest)
#include "window_profile_test.moc"
