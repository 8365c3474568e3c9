// The window after its device went away: reading back what was written (the verify option) and finding
// the device again after a restart, a factory reset or an unplug, against the simulated modem, also one
// whose port goes with its restart and comes back.

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "device_return_flow.h"
#include "general_info_page.h"
#include "gpio_config_page.h"
#include "main_window_bars.h"
#include "string_table.h"
#include "temp_folder.h"
#include "traffic_view.h"
#include "widget_driver.h"
#include "window_rig.h"

namespace q470 {
namespace {

using Clock = std::chrono::steady_clock;
using test::TempFolder;

void SetOptions(WindowRig& rig, bool verify, bool findAgain) {
    rig.window->Bars().VerifyAfterWriteAction().setChecked(verify);
    rig.window->Bars().FindDeviceAgainAction().setChecked(findAgain);
}

int ConnectionDialogCalls(const FakeUiServices& ui) {
    return static_cast<int>(std::count_if(ui.calls.begin(), ui.calls.end(), [](const FakeUiServices::Call& call) {
        return call.kind == FakeUiServices::CallKind::ComConfigDlg;
    }));
}

std::vector<std::string> Sent(const WindowRig& rig) {
    return rig.modem.Commands();
}

bool SentCommand(const WindowRig& rig, const std::string& command) {
    const auto sent = Sent(rig);
    return std::find(sent.begin(), sent.end(), command) != sent.end();
}

// A modem whose port goes with its restart: opened through a link that plays the kernel's name, with
// a stable link beside it, both in `folder`.
struct ReenumeratingRig {
    ReenumeratingRig(sim::ReturnName returnName, sim::ModemModel model = sim::ModemModel::Q470R)
        : rig(
              ModemOf(model),
              [this, returnName](sim::SimulatedModem& modem) {
                  modem.SetLinks(stableLink, kernelLink);
                  modem.SetReenumeration({true, returnName, std::chrono::milliseconds(150)});
              },
              kernelLink) {
        rig.window->SetLinkFolders({folder.Path("by-id")});
    }

    TempFolder folder;
    const std::string kernelLink = folder.Path("ttyACM0");
    const std::string stableLink = folder.Path("by-id/usb-Brevint_Q470R_0001-if00");
    WindowRig rig;
};

}  // namespace

class WindowReturnTest : public QObject {
    Q_OBJECT

private slots:
    // Verify is off and finding the device again is on until the user changes them; the profile keeps
    // the choice for the next window.
    void optionsAreRemembered() {
        TemporaryProfile profile;
        CKeldanQ470RConfiguratorDlg first;
        QVERIFY(!first.Bars().VerifyAfterWriteAction().isChecked());
        QVERIFY(first.Bars().FindDeviceAgainAction().isChecked());
        first.Bars().VerifyAfterWriteAction().setChecked(true);
        first.Bars().FindDeviceAgainAction().setChecked(false);
        CKeldanQ470RConfiguratorDlg again;
        QVERIFY(again.Bars().VerifyAfterWriteAction().isChecked());
        QVERIFY(!again.Bars().FindDeviceAgainAction().isChecked());
    }

    // With the verify option, Apply restarts the device, reads it back and says how it compares: each
    // setting the device did not keep is listed with both values; the window then goes on with the
    // device as it reads now, without the connection dialog.
    void verifyAfterApply_data() {
        QTest::addColumn<QByteArray>("language");
        QTest::addColumn<bool>("gpio");
        QTest::addColumn<QString>("forgotten");  // the write the device acknowledges and loses
        QTest::addColumn<QString>("box");        // the box's first line
        QTest::addColumn<QString>("difference");
        QTest::newRow("verified") << QByteArray("en") << false << QString()
                                  << "Written and verified: after its restart the device reads back all 8 settings "
                                     "as written. It answers at 9600 8N1."
                                  << QString();
        QTest::newRow("verified, GPIO page") << QByteArray("ko") << true << QString()
                                             << "확인됨(verified): 장치가 다시 시작한 뒤 쓴 설정 15개를 모두 쓴 대로 "
                                                "읽었습니다. 장치는 9600 8N1로 응답합니다."
                                             << QString();
        QTest::newRow("channel lost") << QByteArray("en") << false << "AT+RFCH="
                                      << "After its restart the device reads back 1 of the 8 settings written "
                                         "differently:"
                                      << "Channel: written 101, read back 99";
        QTest::newRow("channel lost, ko") << QByteArray("ko") << false << "AT+RFCH="
                                          << "장치가 다시 시작한 뒤 다르게 읽은 설정이 1개입니다(쓴 설정 8개 중):"
                                          << "채널: 쓴 값 101, 읽은 값 99";
    }
    void verifyAfterApply() {
        QFETCH(QByteArray, language);
        QFETCH(bool, gpio);
        QFETCH(QString, forgotten);
        QFETCH(QString, box);
        QFETCH(QString, difference);
        qputenv("Q470_LANG", language);
        sim::ModemSettings settings = ModemOf(sim::ModemModel::Q470R);
        settings.rfChannel = 99;
        WindowRig rig(settings);
        QVERIFY(rig.Connect());
        SetOptions(rig, true, true);
        if (!forgotten.isEmpty()) rig.modem.SetFault(forgotten.toStdString(), sim::CommandFault::Forgotten());
        QWidget* page = &rig.window->GeneralPage();
        if (gpio) {
            rig.window->findChild<QTabWidget*>("tabs")->setCurrentIndex(1);
            page = &rig.window->GpioPage();
        } else {
            QVERIFY(ChooseItem(Child<QComboBox>(*page, "channelList"), QStringLiteral("C(101)")));
        }
        Click(Child<QPushButton>(*page, "applyButton"));
        QVERIFY(rig.WaitForMessages(1));
        QVERIFY(rig.WaitUntilReady());
        qputenv("Q470_LANG", "ko");
        const auto messages = rig.ui.Messages();
        QCOMPARE(messages.size(), std::size_t(1));
        const QStringList lines = messages[0].text.split(QLatin1Char('\n'));
        QCOMPARE(lines.front(), box);
        QCOMPARE(messages[0].icon, difference.isEmpty() ? MessageIcon::Information : MessageIcon::Warning);
        if (!difference.isEmpty()) QCOMPARE(lines.back(), difference);
        QVERIFY(SentCommand(rig, "ATZ\r"));
        QCOMPARE(ConnectionDialogCalls(rig.ui), 1);
        // The page shows what the device holds now.
        if (!gpio)
            QCOMPARE(Child<QComboBox>(rig.window->GeneralPage(), "channelList").currentText(),
                     difference.isEmpty() ? QStringLiteral("C(101)") : QStringLiteral("A(99)"));
    }

    // A configuration file is restarted into force, as without the option, and then read back: the box
    // after the file's own lists the setting the device lost.
    void verifyAfterAConfigurationFile() {
        TempFolder folder;
        const QString path = QString::fromStdString(folder.Path("device.json"));
        WindowRig rig(ModemOf(sim::ModemModel::Q470R));
        QVERIFY(rig.Connect());
        SetOptions(rig, true, false);
        rig.ui.fileNames = {path, path};
        rig.window->findChild<QAction*>("saveConfigAction")->trigger();
        rig.modem.UpdateSettings([](sim::ModemSettings& settings) { settings.rfChannel = 100; });
        rig.modem.SetFault("AT+RFCH=", sim::CommandFault::Forgotten());
        rig.window->findChild<QAction*>("loadConfigAction")->trigger();
        QVERIFY(rig.WaitForMessages(3));
        QVERIFY(rig.WaitUntilReady());
        const auto messages = rig.ui.Messages();
        QCOMPARE(messages.size(), std::size_t(3));  // saved, applied, verified
        QVERIFY2(messages[1].text.startsWith(Text(UiText::ConfigApplied)), qPrintable(messages[1].text));
        QCOMPARE(messages[2].icon, MessageIcon::Warning);
        QCOMPARE(messages[2].text.split(QLatin1Char('\n')).back(), QStringLiteral("채널: 쓴 값 99, 읽은 값 100"));
        QCOMPARE(ConnectionDialogCalls(rig.ui), 1);
    }

    // After a restart or factory reset the window waits for the device and reads it again, at the line
    // it uses now; a port that went with the restart is found under its name or through its stable link.
    void findsTheDeviceAgain_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("returnName");  // -1: the port stays
        QTest::addColumn<bool>("byStableLink");
        QTest::newRow("restart, port stays") << "restartButton" << -1 << false;
        QTest::newRow("factory reset, port stays") << "factoryResetButton" << -1 << false;
        QTest::newRow("restart, same name") << "restartButton" << int(sim::ReturnName::Same) << false;
        QTest::newRow("restart, another name") << "restartButton" << int(sim::ReturnName::Other) << true;
    }
    void findsTheDeviceAgain() {
        QFETCH(QString, control);
        QFETCH(int, returnName);
        QFETCH(bool, byStableLink);
        std::unique_ptr<ReenumeratingRig> moving;
        std::unique_ptr<WindowRig> steady;
        if (returnName >= 0) {
            moving = std::make_unique<ReenumeratingRig>(static_cast<sim::ReturnName>(returnName));
        } else {
            sim::ModemSettings settings = ModemOf(sim::ModemModel::KS410);
            settings.baudRate = 115200;  // a factory reset brings back 9600
            steady = std::make_unique<WindowRig>(settings);
        }
        WindowRig& rig = moving ? moving->rig : *steady;
        SetOptions(rig, false, true);
        if (steady) {
            rig.ui.dialogDriver = [&rig](ComConfigDlg& dialog) {
                dialog.show();
                ChooseItem(Child<QComboBox>(dialog, "speedList"), QStringLiteral("115200"));
                dialog.accept();
                return true;
            };
        }
        QVERIFY(rig.Connect());
        const bool reset = control == QStringLiteral("factoryResetButton");
        if (reset) rig.ui.answers = {MessageAnswer::Yes};
        Click(Child<QPushButton>(*rig.window, control));
        QVERIFY(QTest::qWaitFor([&] { return SentCommand(rig, reset ? "AT&F\r" : "ATZ\r"); }, kHangGuardMs));
        QVERIFY(rig.WaitUntilReady());
        QCOMPARE(ConnectionDialogCalls(rig.ui), 1);
        QCOMPARE(rig.ui.Messages().size(), std::size_t(reset ? 1 : 0));  // the reset's question only
        const QString port = rig.TextOf("portStatePane");
        if (moving) {
            const std::string& name = byStableLink ? moving->stableLink : moving->kernelLink;
            QVERIFY2(port.startsWith(QString::fromStdString(name)), qPrintable(port));
        }
        if (reset) QVERIFY2(port.contains(QStringLiteral("9600")), qPrintable(port));
        QVERIFY(!rig.window->Bars().WaitCancelButton().isVisible());
    }

    // A UART setting written earlier comes into force at the next restart: the window reconnects there.
    void reconnectsAtTheUartSettingWritten() {
        WindowRig rig(ModemOf(sim::ModemModel::KS410));
        QVERIFY(rig.Connect());
        SetOptions(rig, false, true);
        QVERIFY(ChooseItem(Child<QComboBox>(rig.window->GeneralPage(), "baudList"), QStringLiteral("115200")));
        Click(Child<QPushButton>(rig.window->GeneralPage(), "applyButton"));
        QVERIFY(rig.WaitForMessages(1));
        QVERIFY(rig.WaitUntilReady());
        Click(Child<QPushButton>(*rig.window, "restartButton"));
        QVERIFY(QTest::qWaitFor([&] { return SentCommand(rig, "ATZ\r"); }, kHangGuardMs));
        QVERIFY(rig.WaitUntilReady());
        QCOMPARE(rig.window->OpenedLine().baudRate, 115200u);
        QCOMPARE(rig.modem.ActiveLine().baudRate, 115200u);
        QCOMPARE(ConnectionDialogCalls(rig.ui), 1);
    }

    // The device's port went away without a restart of the window's (a command typed in the traffic
    // view restarted it, as an unplug would take it): the window waits for it and reads it again.
    void anUnpluggedDeviceIsFoundAgain() {
        ReenumeratingRig moving(sim::ReturnName::Same);
        WindowRig& rig = moving.rig;
        SetOptions(rig, false, true);
        QVERIFY(rig.Connect());
        rig.window->SendTypedCommand(QStringLiteral("ATZ"));
        QVERIFY(QTest::qWaitFor([&] { return !rig.IsReady(); }, kHangGuardMs));
        QVERIFY(rig.WaitUntilReady());
        QCOMPARE(ConnectionDialogCalls(rig.ui), 1);
        QCOMPARE(rig.ui.Messages().size(), std::size_t(0));
    }

    // A write that the unplug cut short is still told once the device is back, with where it stopped:
    // the device may hold part of it.
    void aWriteCutShortByAnUnplugIsTold() {
        ReenumeratingRig moving(sim::ReturnName::Same);
        WindowRig& rig = moving.rig;
        SetOptions(rig, false, true);
        QVERIFY(rig.Connect());
        sim::CommandFault unplug;
        unplug.unplug = true;
        rig.modem.SetFault("AT+RFCH=", unplug);
        QVERIFY(ChooseItem(Child<QComboBox>(rig.window->GeneralPage(), "channelList"), QStringLiteral("C(101)")));
        Click(Child<QPushButton>(rig.window->GeneralPage(), "applyButton"));
        QVERIFY(rig.WaitForMessages(1));
        QVERIFY(rig.WaitUntilReady());
        const auto messages = rig.ui.Messages();
        QCOMPARE(messages.size(), std::size_t(1));
        QVERIFY2(messages[0].text.startsWith(Text(UiText::ApplyGeneralFailed)), qPrintable(messages[0].text));
        QCOMPARE(messages[0].icon, MessageIcon::Error);
        QCOMPARE(ConnectionDialogCalls(rig.ui), 1);
    }

    // A device that does not come back within the budget, and a wait the user cancels, end at the
    // connection dialog, as a restart did before; Cancel is felt at once, not at the end of the budget.
    void givesUpOnADeviceThatStaysAway_data() {
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<bool>("verify");
        QTest::newRow("not back") << false << false;
        QTest::newRow("not back, verifying") << false << true;
        QTest::newRow("cancelled") << true << false;
    }
    void givesUpOnADeviceThatStaysAway() {
        QFETCH(bool, cancel);
        QFETCH(bool, verify);
        ReenumeratingRig moving(sim::ReturnName::Never);
        WindowRig& rig = moving.rig;
        QVERIFY(rig.Connect());
        SetOptions(rig, verify, true);
        rig.window->ReturnFlow().SetRestartBudget(cancel ? std::chrono::seconds(20) : std::chrono::milliseconds(600));
        rig.ui.dialogResults = {true, false};
        // The wait runs inside the restart's result, in an event loop of its own: watched from a timer.
        QPushButton& cancelButton = rig.window->Bars().WaitCancelButton();
        QString waitingText;
        bool portCommandOffered = true;
        Clock::time_point cancelledAt{};
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (!cancelButton.isVisible() || !waitingText.isEmpty()) return;
            waitingText = rig.TextOf("portStatePane");
            portCommandOffered = rig.IsEnabled("comConfigAction");
            if (!cancel) return;
            cancelledAt = Clock::now();
            Click(cancelButton);
        });
        watch.start(10);
        if (verify) {
            rig.window->findChild<QTabWidget*>("tabs")->setCurrentIndex(1);
            Click(Child<QPushButton>(rig.window->GpioPage(), "applyButton"));
        } else {
            Click(Child<QPushButton>(*rig.window, "restartButton"));
        }
        QTRY_COMPARE_WITH_TIMEOUT(ConnectionDialogCalls(rig.ui), 2, kHangGuardMs);
        const auto ended = Clock::now();
        watch.stop();
        QCOMPARE(waitingText, FormatText(UiText::WaitingForDevice, moving.kernelLink.c_str()));
        QVERIFY(!portCommandOffered);
        if (cancel) QVERIFY(ended - cancelledAt < std::chrono::seconds(1));
        QVERIFY(!rig.window->IsPortOpen());
        QVERIFY(!cancelButton.isVisible());
        QVERIFY(rig.IsEnabled("comConfigAction"));
        const auto messages = rig.ui.Messages();
        QCOMPARE(messages.size(), std::size_t(verify ? 1 : 0));
        if (verify) {
            QVERIFY2(messages[0].text.startsWith(FormatText(UiText::VerifyNotBack, 600u)),
                     qPrintable(messages[0].text));
            QVERIFY(messages[0].text.contains(Text(UiText::VerifyNothingCompared)));
        }
    }
};

}  // namespace q470

QTEST_MAIN(q470::WindowReturnTest)
#include "window_return_test.moc"
