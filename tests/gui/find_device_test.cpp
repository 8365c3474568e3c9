// The connection dialog's Find button, its port descriptions and a typed port, against simulated modems
// on pseudo-terminals.

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "com_config_dlg.h"
#include "pty_port.h"
#include "simulated_modem.h"
#include "string_table.h"
#include "temporary_profile.h"
#include "widget_driver.h"
#include "window_rig.h"

namespace q470 {
namespace {

constexpr int kSearchGuardMs = 8000;

ComConfigDlg::PortEnumerator FixedPorts(const QStringList& names) {
    return [names](std::vector<SerialPortEntry>& ports) {
        ports.clear();
        for (const QString& name : names) ports.push_back({name.toStdString(), {}});
        return std::error_code();
    };
}

QString PathOf(const std::string& path) {
    return QString::fromStdString(path);
}

sim::ModemSettings AtRate(sim::ModemModel model, std::uint32_t baudRate) {
    sim::ModemSettings settings = sim::FactorySettings(model);
    settings.baudRate = baudRate;
    return settings;
}

QString Current(const ComConfigDlg& dialog, const char* list) {
    return Child<QComboBox>(dialog, QString::fromLatin1(list)).currentText();
}

}  // namespace

class FindDeviceTest : public QObject {
    Q_OBJECT

private slots:
    void init() { profile_ = std::make_unique<TemporaryProfile>(); }
    void cleanup() { profile_.reset(); }

    // The search runs while the dialog goes on drawing and taking events; it ends on the port where a
    // modem answered, with that modem's line settings chosen and stored, as if the user had chosen them.
    void findSelectsThePortAndLineSettings() {
        sim::PtyPort dead;  // nothing answers here: the slowest port of the search
        QVERIFY(!dead.Open());
        sim::SimulatedModem modem(AtRate(sim::ModemModel::KS410, 38400));
        QVERIFY(modem.Start());
        ComConfigDlg dialog(nullptr, FixedPorts({PathOf(dead.SlavePath()), PathOf(modem.PortPath())}));
        dialog.show();
        QCOMPARE(Current(dialog, "speedList"), QStringLiteral("9600"));

        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(20);
        Click(Child<QPushButton>(dialog, "findButton"));
        QVERIFY(dialog.Searching());
        QVERIFY(!Child<QPushButton>(dialog, "okButton").isEnabled());
        QVERIFY(Child<QPushButton>(dialog, "findCancelButton").isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(Child<QProgressBar>(dialog, "findProgress").value() > 2, kSearchGuardMs);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.Searching(), kSearchGuardMs);
        QVERIFY2(ticks > 10, "the window thread went on while the ports were searched");

        QCOMPARE(Current(dialog, "portList"), PathOf(modem.PortPath()));
        QCOMPARE(Current(dialog, "speedList"), QStringLiteral("38400"));
        QCOMPARE(Current(dialog, "stopBitsList"), QStringLiteral("1"));
        QVERIFY(Child<QPushButton>(dialog, "okButton").isEnabled());
        QVERIFY(!Child<QPushButton>(dialog, "findCancelButton").isVisible());
        const QString status = Child<QLabel>(dialog, "findStatus").text();
        QVERIFY2(status.contains(QStringLiteral("KELDAN-KS410")) && status.contains(QStringLiteral("38400 8N1")),
                 qPrintable(status));
        QCOMPARE(profile_->Read("Serial port buadrate").toInt(), 38400);
        QCOMPARE(profile_->Read("Serial port name").toString(), PathOf(modem.PortPath()));
        Click(Child<QPushButton>(dialog, "okButton"));
        QCOMPARE(dialog.PortName(), PathOf(modem.PortPath()));
        QCOMPARE(dialog.Line().baudRate, 38400u);
        for (const auto& command : modem.Commands()) QVERIFY2(command.find('=') == std::string::npos, command.c_str());
    }

    void cancelEndsTheSearchAndChangesNothing() {
        sim::PtyPort dead;
        QVERIFY(!dead.Open());
        ComConfigDlg dialog(nullptr, FixedPorts({PathOf(dead.SlavePath())}));
        dialog.show();
        Click(Child<QPushButton>(dialog, "findButton"));
        QTRY_VERIFY_WITH_TIMEOUT(Child<QProgressBar>(dialog, "findProgress").value() >= 1, kSearchGuardMs);
        Click(Child<QPushButton>(dialog, "findCancelButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.Searching(), 1000);
        QCOMPARE(Child<QLabel>(dialog, "findStatus").text(), Text(UiText::FindCancelled));
        QCOMPARE(Current(dialog, "speedList"), QStringLiteral("9600"));
        QVERIFY(!profile_->Contains("Serial port buadrate"));

        // Nothing answers anywhere: said so, nothing chosen. The dialog's Cancel during a search closes it.
        Click(Child<QPushButton>(dialog, "findButton"));
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.Searching(), kSearchGuardMs);
        QCOMPARE(Child<QLabel>(dialog, "findStatus").text(), Text(UiText::FindNothing));
        Click(Child<QPushButton>(dialog, "findButton"));
        Click(Child<QPushButton>(dialog, "cancelButton"));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.Searching(), 1000);
    }

    // What is behind each port is shown beside its name in the list and under the lists for the port chosen.
    void portDescriptions() {
        ComConfigDlg dialog(nullptr, FixedPorts({"/dev/ttyUSB0", "/dev/ttyS0"}));
        dialog.SetPortDescriber([](const std::string& port) {
            PortDescription d;
            if (port == "/dev/ttyUSB0") {
                d.vendor = "FTDI";
                d.product = "FT232R USB UART";
                d.vendorId = "0403";
                d.productId = "6001";
            }
            return d;
        });
        dialog.show();
        QComboBox& ports = Child<QComboBox>(dialog, "portList");
        QCOMPARE(ItemTexts(ports), QStringList({"/dev/ttyS0", "/dev/ttyUSB0"}));  // still sorted by name alone
        QCOMPARE(ports.itemData(1, Qt::ToolTipRole).toString(), QStringLiteral("FTDI FT232R USB UART (0403:6001)"));
        QCOMPARE(Child<QLabel>(dialog, "portDescription").text(), QString());
        QVERIFY(ChooseItem(ports, QStringLiteral("/dev/ttyUSB0")));
        QCOMPARE(Child<QLabel>(dialog, "portDescription").text(), QStringLiteral("FTDI FT232R USB UART (0403:6001)"));
        QCOMPARE(dialog.PortName(), QStringLiteral("COM1"));  // only OK changes the members
    }

    // A typed path is stored like a chosen port and offered again while it exists.
    void typedPortIsStoredLikeAListedOne() {
        // Stands for a /dev/serial/by-id/ link: a path the enumeration does not list.
        QTemporaryDir folder;
        const QString typed = folder.filePath(QStringLiteral("usb-FTDI_FT232R_USB_UART_A10K3X8Q-if00-port0"));
        QFile(typed).open(QIODevice::WriteOnly);
        ComConfigDlg dialog(nullptr, FixedPorts({"/dev/ttyS0"}));
        dialog.show();
        TypeInto(*Child<QComboBox>(dialog, "portList").lineEdit(), typed);
        Click(Child<QPushButton>(dialog, "okButton"));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.PortName(), typed);
        QCOMPARE(profile_->Read("Serial port name").toString(), typed);

        dialog.show();
        QCOMPARE(Current(dialog, "portList"), typed);
        QCOMPARE(ItemTexts(Child<QComboBox>(dialog, "portList")).size(), 2);
        Click(Child<QPushButton>(dialog, "cancelButton"));
        QFile::remove(typed);  // the path is gone: the first listed port again, as for a port unplugged
        dialog.show();
        QCOMPARE(Current(dialog, "portList"), QStringLiteral("/dev/ttyS0"));
    }

    // Through the window: the modem sits at a rate the profile does not know; Find finds it, the window
    // connects at that rate and reads the device.
    void theWindowConnectsWhereFindFoundTheModem() {
        WindowRig rig(AtRate(sim::ModemModel::Q470R, 57600));
        rig.ui.dialogDriver = [](ComConfigDlg& dialog) {
            dialog.show();
            Click(Child<QPushButton>(dialog, "findButton"));
            if (!QTest::qWaitFor([&] { return !dialog.Searching(); }, kSearchGuardMs)) return false;
            Click(Child<QPushButton>(dialog, "okButton"));
            return dialog.result() == QDialog::Accepted;
        };
        QVERIFY(rig.Connect());
        QCOMPARE(rig.window->OpenedLine().baudRate, 57600u);
    }

private:
    std::unique_ptr<TemporaryProfile> profile_;
};

}  // namespace q470

QTEST_MAIN(q470::FindDeviceTest)
#include "find_device_test.moc"
