#include "app_command_line.h"

#include <QLabel>
#include <QProcess>
#include <QTest>

#include "demo_device.h"
#include "enumerate_serial_ports.h"
#include "fake_ui_services.h"
#include "keldan_q470r_configurator_dlg.h"
#include "temporary_profile.h"
#include "window_rig.h"

Q_DECLARE_METATYPE(q470::AppCommandLine::Kind)

namespace q470 {
namespace {

using Kind = AppCommandLine::Kind;

bool PortListed(const QString& portName) {
    std::vector<SerialPortEntry> ports;
    EnumerateSerialPorts(ports);
    return std::any_of(ports.begin(), ports.end(),
                       [&](const SerialPortEntry& port) { return QString::fromStdString(port.portName) == portName; });
}

}  // namespace

class AppShellTest : public QObject {
    Q_OBJECT

private slots:
    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<bool>("demo");
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("textPart");
        const int q470r = int(sim::ModemModel::Q470R);
        QTest::newRow("nothing") << QStringList{} << Kind::Run << false << q470r << QString();
        QTest::newRow("demo, default model") << QStringList{"--demo"} << Kind::Run << true << q470r << QString();
        QTest::newRow("demo model") << QStringList{"--demo", "KELDAN-KS410"} << Kind::Run << true
                                    << int(sim::ModemModel::KS410) << QString();
        QTest::newRow("demo=model") << QStringList{"--demo=KELDAN-KS400"} << Kind::Run << true
                                    << int(sim::ModemModel::KS400) << QString();
        QTest::newRow("help") << QStringList{"--help"} << Kind::Help << false << q470r << "Usage: q470-manager";
        QTest::newRow("version") << QStringList{"-v"} << Kind::Version << false << q470r << "q470-manager 1.5.0\n";
        QTest::newRow("unknown option") << QStringList{"--colour"} << Kind::Error << false << q470r << "'colour'";
        QTest::newRow("unknown model") << QStringList{"--demo", "Q470"} << Kind::Error << false << q470r
                                       << "unknown model 'Q470'";
        QTest::newRow("model without demo")
            << QStringList{"Q470R"} << Kind::Error << false << q470r << "unexpected argument 'Q470R'";
        QTest::newRow("two models") << QStringList{"--demo", "Q470R", "KELDAN-KS410"} << Kind::Error << false << q470r
                                    << "one model";
    }

    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(Kind, kind);
        QFETCH(bool, demo);
        QFETCH(int, model);
        QFETCH(QString, textPart);
        const AppCommandLine request = AppCommandLine::Parse(QStringList{"/usr/bin/q470-manager"} + arguments);
        QCOMPARE(request.kind, kind);
        QCOMPARE(request.demo, demo);
        QCOMPARE(int(request.demoModel), model);
        QVERIFY2(request.text.contains(textPart), qPrintable(request.text));
        if (kind == Kind::Error) QVERIFY(request.text.startsWith(QStringLiteral("q470-manager: ")));
    }

    // The program itself: the exit status and where its texts go, without any display.
    void programExitsCleanlyWithoutDisplay() {
        const QString program = QStringLiteral(Q470_MANAGER_PATH);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
        process.setProcessEnvironment(environment);
        struct Case {
            QStringList arguments;
            int status;
            const char* stdoutPart;
            const char* stderrPart;
        };
        const Case cases[] = {
            {{"--version"}, 0, "q470-manager 1.5.0", ""},
            {{"--help"}, 0, "--demo", ""},
            {{"--demo", "KELDAN-KS999"}, 2, "", "unknown model"},
            {{"--demo"}, 1, "", "$DISPLAY"},
        };
        for (const auto& c : cases) {
            process.start(program, c.arguments);
            QVERIFY(process.waitForFinished(kHangGuardMs));
            const QString out = QString::fromUtf8(process.readAllStandardOutput());
            const QString err = QString::fromUtf8(process.readAllStandardError());
            QCOMPARE(process.exitStatus(), QProcess::NormalExit);
            QVERIFY2(process.exitCode() == c.status, qPrintable(c.arguments.join(' ')));
            QVERIFY2(out.contains(QString::fromLatin1(c.stdoutPart)), qPrintable(out));
            QVERIFY2(err.contains(QString::fromLatin1(c.stderrPart)), qPrintable(err));
        }
    }

    // The demo device is listed while it runs and offered in the connection dialog; the user's own port
    // in the profile is left alone.
    void demoDeviceIsOfferedWithoutTouchingTheProfile() {
        TemporaryProfile profile;
        profile.Write(QStringLiteral("Serial port name"), QStringLiteral("/dev/ttyUSB7"));
        profile.Write(QStringLiteral("Serial port buadrate"), 19200);  // the demo device listens at it
        FakeUiServices ui;
        ui.dialogDriver = [](ComConfigDlg& dialog) {
            dialog.show();
            dialog.accept();
            return true;
        };
        QString port;
        {
            DemoDevice demo(sim::ModemModel::KS410, ComConfigDlg::StoredBaudRate(), ComConfigDlg::StoredStopBits());
            std::string error;
            QVERIFY2(demo.Start(&error), error.c_str());
            port = demo.PortName();
            QVERIFY(PortListed(port));
            CKeldanQ470RConfiguratorDlg window(port);
            window.show();
            QTRY_VERIFY_WITH_TIMEOUT(
                window.IsPortOpen() && !window.IsBusy() &&
                    window.findChild<QLabel*>("statusInfoLabel")->text() == QStringLiteral("KELDAN-KS410, ACTIVE"),
                kHangGuardMs);
            QCOMPARE(window.ConnectionDialog().PortName(), port);
            QVERIFY(ui.Messages().empty());
        }
        QVERIFY(!PortListed(port));
        QCOMPARE(profile.Read(QStringLiteral("Serial port name")).toString(), QStringLiteral("/dev/ttyUSB7"));
    }
};

}  // namespace q470

QTEST_MAIN(q470::AppShellTest)
#include "app_shell_test.moc"
