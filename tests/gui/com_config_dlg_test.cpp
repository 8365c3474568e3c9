#include "com_config_dlg.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "enumerate_serial_ports.h"
#include "string_table.h"
#include "temporary_profile.h"
#include "widget_driver.h"

namespace q470 {
namespace {

ComConfigDlg::PortEnumerator FixedPorts(const QStringList& names) {
    return [names](std::vector<SerialPortEntry>& ports) {
        ports.clear();
        for (const QString& name : names) ports.push_back({name.toStdString(), {}});
        return std::error_code();
    };
}

QComboBox& PortList(const ComConfigDlg& dialog) {
    return Child<QComboBox>(dialog, QStringLiteral("portList"));
}

QStringList PortNamesPresent() {
    std::vector<SerialPortEntry> ports;
    EnumerateSerialPorts(ports);
    QStringList names;
    for (const auto& port : ports) names << QString::fromStdString(port.portName);
    return names;
}

}  // namespace

class ComConfigDlgTest : public QObject {
    Q_OBJECT

private slots:
    void init() { profile_ = std::make_unique<TemporaryProfile>(); }
    void cleanup() { profile_.reset(); }

    void membersBeforeFirstOk() {
        ComConfigDlg dialog(nullptr, FixedPorts({"COM3"}));
        QCOMPARE(dialog.PortName(), QStringLiteral("COM1"));
        QCOMPARE(dialog.Line().baudRate, 9600u);
        QCOMPARE(dialog.Line().dataBits, 8);
        QCOMPARE(dialog.Line().parity, 0);
        QCOMPARE(dialog.Line().stopBits, 0);
    }

    void firstOpeningWithEmptyProfile() {
        ComConfigDlg dialog(nullptr, FixedPorts({"COM3", "COM10", "COM1"}));
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Q470 접속 설정"));
        QCOMPARE(PortList(dialog).currentText(), QStringLiteral("COM1"));
        QCOMPARE(Child<QComboBox>(dialog, "speedList").currentText(), QStringLiteral("9600"));
        QCOMPARE(Child<QComboBox>(dialog, "parityList").currentText(), QStringLiteral("None"));
        QCOMPARE(Child<QComboBox>(dialog, "stopBitsList").currentText(), QStringLiteral("1"));
        QCOMPARE(Child<QComboBox>(dialog, "dataBitsList").currentText(), QStringLiteral("8 bits"));
        QCOMPARE(ItemTexts(Child<QComboBox>(dialog, "speedList")),
                 QStringList({"2400", "4800", "9600", "14400", "19200", "38400", "57600", "115200", "230400"}));
        QCOMPARE(ItemTexts(Child<QComboBox>(dialog, "stopBitsList")), QStringList({"1", "2"}));
        // Opening stores nothing; only the user's choices are written.
        QVERIFY(!QFile::exists(profile_->FilePath()));
    }

    void portListMatchesStoredName_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("stored");  // empty: nothing stored
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("memberAfterOpening");
        QTest::addColumn<QString>("memberAfterOk");

        QTest::newRow("text order, COM1 absent: first item")
            << QStringList{"COM3", "COM10"} << QString() << QStringList{"COM10", "COM3"} << "COM10"
            << "COM1"
            << "COM10";
        QTest::newRow("stored name present")
            << QStringList{"COM3", "COM10"} << "COM3" << QStringList{"COM10", "COM3"} << "COM3"
            << "COM3"
            << "COM3";
        QTest::newRow("case differs: no match") << QStringList{"COM3"} << "com3" << QStringList{"COM3"} << "COM3"
                                                << "COM1"
                                                << "COM3";
        QTest::newRow("no port at all") << QStringList{} << "COM7" << QStringList{} << QString() << "COM1"
                                        << "COM1";
        QTest::newRow("device paths") << QStringList{"/dev/ttyUSB0", "/dev/ttyACM0", "/dev/ttyS0"} << "/dev/ttyUSB0"
                                      << QStringList{"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB0"} << "/dev/ttyUSB0"
                                      << "/dev/ttyUSB0"
                                      << "/dev/ttyUSB0";
    }

    void portListMatchesStoredName() {
        QFETCH(QStringList, present);
        QFETCH(QString, stored);
        QFETCH(QStringList, shown);
        QFETCH(QString, selected);
        QFETCH(QString, memberAfterOpening);
        QFETCH(QString, memberAfterOk);
        if (!stored.isEmpty()) profile_->Write("Serial port name", stored);

        ComConfigDlg dialog(nullptr, FixedPorts(present));
        dialog.show();
        QCOMPARE(ItemTexts(PortList(dialog)), shown);
        QCOMPARE(PortList(dialog).currentText(), selected);
        QCOMPARE(PortList(dialog).currentIndex() < 0, selected.isEmpty());
        QCOMPARE(dialog.PortName(), memberAfterOpening);
        Click(Child<QPushButton>(dialog, "okButton"));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.PortName(), memberAfterOk);
    }

    void okTakesChoicesAndCancelKeepsMembers() {
        ComConfigDlg dialog(nullptr, FixedPorts({"COM3", "COM10"}));
        dialog.show();
        QVERIFY(ChooseItem(PortList(dialog), "COM3"));
        QVERIFY(ChooseItem(Child<QComboBox>(dialog, "speedList"), "115200"));
        QVERIFY(ChooseItem(Child<QComboBox>(dialog, "parityList"), "Odd"));
        QVERIFY(ChooseItem(Child<QComboBox>(dialog, "stopBitsList"), "2"));
        QVERIFY(ChooseItem(Child<QComboBox>(dialog, "dataBitsList"), "7 bits"));
        Click(Child<QPushButton>(dialog, "cancelButton"));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.PortName(), QStringLiteral("COM1"));
        QCOMPARE(dialog.Line().baudRate, 9600u);
        QCOMPARE(dialog.Line().parity, 0);

        // The next opening starts from the stored choices; OK makes them the settings in use.
        dialog.show();
        QCOMPARE(PortList(dialog).currentText(), QStringLiteral("COM3"));
        Click(Child<QPushButton>(dialog, "okButton"));
        QCOMPARE(dialog.PortName(), QStringLiteral("COM3"));
        QCOMPARE(dialog.Line().baudRate, 115200u);
        QCOMPARE(dialog.Line().parity, 1);
        QCOMPARE(dialog.Line().stopBits, 2);  // the serial channel's code for two stop bits, never 1
        QCOMPARE(dialog.Line().dataBits, 7);
    }

    void eachChoiceIsStoredAtOnce_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("valueName");
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("port") << "portList"
                              << "COM3"
                              << "Serial port name" << QVariant("COM3");
        QTest::newRow("speed") << "speedList"
                               << "2400"
                               << "Serial port buadrate" << QVariant(2400);
        QTest::newRow("even parity") << "parityList"
                                     << "Even"
                                     << "Serial port parity" << QVariant(2);
        QTest::newRow("two stop bits") << "stopBitsList"
                                       << "2"
                                       << "Serial port stopbit" << QVariant(2);
        QTest::newRow("data bits") << "dataBitsList"
                                   << "7 bits"
                                   << "Serial port databit" << QVariant(7);
    }

    void eachChoiceIsStoredAtOnce() {
        QFETCH(QString, list);
        QFETCH(QString, item);
        QFETCH(QString, valueName);
        QFETCH(QVariant, stored);
        ComConfigDlg dialog(nullptr, FixedPorts({"COM3", "COM10"}));
        dialog.show();
        QVERIFY(ChooseItem(Child<QComboBox>(dialog, list), item));
        QCOMPARE(profile_->Read(valueName).toString(), stored.toString());
        const QStringList allValues{"Serial port name", "Serial port buadrate", "Serial port parity",
                                    "Serial port stopbit", "Serial port databit"};
        for (const QString& other : allValues) {
            if (other != valueName) QVERIFY2(!profile_->Contains(other), qPrintable(other));
        }
        // Cancel takes nothing back, and the next opening shows the stored choice.
        Click(Child<QPushButton>(dialog, "cancelButton"));
        QCOMPARE(profile_->Read(valueName).toString(), stored.toString());
        dialog.show();
        QCOMPARE(Child<QComboBox>(dialog, list).currentText(), item);
    }

    void dropDownFindsNewlyPluggedPort() {
        // Run-time ports stand for USB adapters; the machine's own ports are listed as well.
        const std::string inUse = "/dev/ttyQ470TEST1";
        const std::string plugged = "/dev/ttyQ470TEST0";  // sorts before the port in use
        RegisterRuntimePort(inUse);
        profile_->Write("Serial port name", QString::fromStdString(inUse));
        ComConfigDlg dialog;
        dialog.show();
        const int countBefore = PortList(dialog).count();
        QCOMPARE(countBefore, PortNamesPresent().size());
        QCOMPARE(PortList(dialog).currentText(), QString::fromStdString(inUse));

        RegisterRuntimePort(plugged);
        PortList(dialog).showPopup();
        const QStringList after = ItemTexts(PortList(dialog));
        const QString selected = PortList(dialog).currentText();
        PortList(dialog).hidePopup();
        UnregisterRuntimePort(plugged);
        UnregisterRuntimePort(inUse);

        QCOMPARE(after.size(), countBefore + 1);
        QVERIFY(after.contains(QString::fromStdString(plugged)));
        QStringList sorted = after;
        std::sort(sorted.begin(), sorted.end(),
                  [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        QCOMPARE(after, sorted);
        QCOMPARE(selected, QString::fromStdString(inUse));
    }

    void absurdStoredValuesSelectNothing_data() {
        QTest::addColumn<QString>("valueName");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("list");
        QTest::newRow("speed 0") << "Serial port buadrate" << QVariant(0) << "speedList";
        QTest::newRow("speed 1200") << "Serial port buadrate" << QVariant(1200) << "speedList";
        QTest::newRow("speed beyond 64 bits")
            << "Serial port buadrate" << QVariant("99999999999999999999999") << "speedList";
        QTest::newRow("parity 9") << "Serial port parity" << QVariant(9) << "parityList";
        QTest::newRow("one and a half stop bits") << "Serial port stopbit" << QVariant(1) << "stopBitsList";
        QTest::newRow("data bits not a number") << "Serial port databit" << QVariant("eight") << "dataBitsList";
        QTest::newRow("negative data bits") << "Serial port databit" << QVariant(-8) << "dataBitsList";
    }

    void absurdStoredValuesSelectNothing() {
        QFETCH(QString, valueName);
        QFETCH(QVariant, stored);
        QFETCH(QString, list);
        profile_->Write(valueName, stored);
        ComConfigDlg dialog(nullptr, FixedPorts({"COM1"}));
        dialog.show();
        QCOMPARE(Child<QComboBox>(dialog, list).currentIndex(), -1);
        Click(Child<QPushButton>(dialog, "okButton"));
        QCOMPARE(dialog.Line().baudRate, 9600u);
        QCOMPARE(dialog.Line().parity, 0);
        QCOMPARE(dialog.Line().stopBits, 0);
        QCOMPARE(dialog.Line().dataBits, 8);
    }

    // The demo device's port is offered until the user picks one, and only a pick reaches the profile.
    void preferredPortWinsUntilTheUserPicks() {
        profile_->Write("Serial port name", QStringLiteral("COM3"));
        ComConfigDlg dialog(nullptr, FixedPorts({"COM3", "COM7", "/dev/pts/4"}));
        dialog.SetPreferredPort(QStringLiteral("/dev/pts/4"));
        dialog.show();
        QCOMPARE(PortList(dialog).currentText(), QStringLiteral("/dev/pts/4"));
        PortList(dialog).showPopup();  // rebuilds the list
        PortList(dialog).hidePopup();
        QCOMPARE(PortList(dialog).currentText(), QStringLiteral("/dev/pts/4"));
        QCOMPARE(profile_->Read("Serial port name").toString(), QStringLiteral("COM3"));

        QVERIFY(ChooseItem(PortList(dialog), QStringLiteral("COM7")));
        PortList(dialog).showPopup();
        PortList(dialog).hidePopup();
        QCOMPARE(PortList(dialog).currentText(), QStringLiteral("COM7"));
        Click(Child<QPushButton>(dialog, "okButton"));
        QCOMPARE(dialog.PortName(), QStringLiteral("COM7"));
        QCOMPARE(profile_->Read("Serial port name").toString(), QStringLiteral("COM7"));

        // A port that is not present is not offered.
        dialog.SetPreferredPort(QStringLiteral("/dev/pts/9"));
        dialog.show();
        QCOMPARE(PortList(dialog).currentText(), QStringLiteral("COM7"));
    }

    void hugeStoredPortNameIsHarmless() {
        profile_->Write("Serial port name", QString(10000, QLatin1Char('X')));
        ComConfigDlg dialog(nullptr, FixedPorts({"COM4"}));
        dialog.show();
        QCOMPARE(PortList(dialog).currentText(), QStringLiteral("COM4"));
        Click(Child<QPushButton>(dialog, "okButton"));
        QCOMPARE(dialog.PortName(), QStringLiteral("COM4"));
    }

    // Closed with Cancel from the keyboard, the dialog opens the next time as it did the first: focus on
    // the port list, OK the default button, so Enter connects.
    void eachOpeningStartsFresh() {
        ComConfigDlg dialog(nullptr, FixedPorts({"COM4"}));
        auto& ok = Child<QPushButton>(dialog, "okButton");
        auto& cancel = Child<QPushButton>(dialog, "cancelButton");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget(), &PortList(dialog));
        QVERIFY(ok.isDefault() && !cancel.isDefault());
        while (QApplication::focusWidget() != &cancel) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(cancel.isDefault());
        QTest::keyClick(&cancel, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());

        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget(), &PortList(dialog));
        QVERIFY(ok.isDefault() && !cancel.isDefault());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.PortName(), QStringLiteral("COM4"));
    }

    // The first Enter in the port field connects, with the port as offered or as typed: a typed path is
    // never completed to a listed one or changed to another one's case.
    void enterInThePortFieldConnects_data() {
        QTest::addColumn<QStringList>("ports");
        QTest::addColumn<QString>("typed");  // empty: nothing typed
        QTest::addColumn<QString>("portName");
        QTest::newRow("as offered") << QStringList{"/dev/ttyUSB0"} << QString() << "/dev/ttyUSB0";
        QTest::newRow("typed path") << QStringList{"/dev/ttyUSB0"} << "/dev/pts/7"
                                    << "/dev/pts/7";
        QTest::newRow("beginning of a listed port") << QStringList{"/dev/ttyUSB10"} << "/dev/ttyUSB1"
                                                    << "/dev/ttyUSB1";
        QTest::newRow("a listed port in other case") << QStringList{"/dev/ttyACM0"} << "/dev/ttyacm0"
                                                     << "/dev/ttyacm0";
    }

    void enterInThePortFieldConnects() {
        QFETCH(QStringList, ports);
        QFETCH(QString, typed);
        QFETCH(QString, portName);
        ComConfigDlg dialog(nullptr, FixedPorts(ports));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QComboBox& portList = PortList(dialog);
        QCOMPARE(QApplication::focusWidget(), &portList);
        QCOMPARE(portList.lineEdit()->selectedText(), ports.front());
        if (!typed.isEmpty()) QTest::keyClicks(QApplication::focusWidget(), typed);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.PortName(), portName);
    }

private:
    std::unique_ptr<TemporaryProfile> profile_;
};

}  // namespace q470

QTEST_MAIN(q470::ComConfigDlgTest)
#include "com_config_dlg_test.moc"
