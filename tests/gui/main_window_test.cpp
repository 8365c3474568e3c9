#include "keldan_q470r_configurator_dlg.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "about_dlg.h"
#include "app_message.h"
#include "app_message_event.h"
#include "app_version.h"
#include "connection_texts.h"
#include "device_records.h"
#include "general_info_page.h"
#include "gpio_config_page.h"
#include "io_service_exec.h"
#include "model_kind.h"
#include "q470comm.h"
#include "string_table.h"
#include "widget_driver.h"
#include "window_rig.h"

// Shows the commands when a comparison fails.
namespace QTest {
template <>
inline char* toString(const std::vector<std::string>& commands) {
    QByteArray text;
    for (const auto& command : commands) text += QByteArray::fromStdString(command).toPercentEncoding(" +=?,&") + ' ';
    return qstrdup(text.constData());
}
}  // namespace QTest

namespace q470 {
namespace {

using Commands = std::vector<std::string>;

const Commands kIdentify{"AT\r", "AT+QM?\r", "AT+MODELNAME?\r"};
const Commands kReadQ470R{"AT+INFO?\r", "AT+NETINFO?\r", "AT+GPIOC?\r", "AT+GPIOP?\r", "AT+VER?\r", "AT+URPU?\r"};
const Commands kReadKs{"AT+INFO?\r", "AT+NETINFO?\r", "AT+VER?\r", "AT+UPANID?\r"};
// The general page as read from a factory-new Q470R over a 9600 8N1 line, applied unchanged.
const Commands kApplyGeneralDefaults{"AT+OPMODE=2\r",  "AT+PANID=1234\r",      "AT+PHYID=12\r", "AT+RFCH=99\r",
                                     "AT+NETROLE=1\r", "AT+UART=9600,0,0,8\r", "AT+URPU=0\r",   "AT+QM=0\r"};

Commands Concat(Commands head, const Commands& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// Everything the window's state decides about, by object name; exit is never disabled.
const QStringList kPortControls{"comConfigAction", "loadConfigAction",   "saveConfigAction",    "exitAction",
                                "restartButton",   "factoryResetButton", "extendedAddressEdit", "firmwareVersionEdit"};

QStringList EnabledOf(const WindowRig& rig, const QStringList& names) {
    QStringList enabled;
    for (const QString& name : names) {
        if (rig.IsEnabled(name.toLatin1().constData())) enabled << name;
    }
    return enabled;
}

// Page controls that show whether a page as a whole is enabled.
bool GeneralPageEnabled(const WindowRig& rig) {
    return Child<QPushButton>(rig.window->GeneralPage(), "applyButton").isEnabled();
}

bool GpioPageEnabled(const WindowRig& rig) {
    return Child<QPushButton>(rig.window->GpioPage(), "applyButton").isEnabled();
}

void ClickPageApply(QWidget& page) {
    Click(Child<QPushButton>(page, "applyButton"));
}

sim::CommandFault Fault(bool silent, bool error, bool hangUp = false) {
    sim::CommandFault fault;
    fault.silent = silent;
    fault.answerError = error;
    fault.hangUp = hangUp;
    return fault;
}

MessageRequest Box(UiText text, MessageIcon icon) {
    return {Text(text), MessageCaption(), icon, MessageButtons::Ok};
}

void CompareMessages(const std::vector<MessageRequest>& actual, const std::vector<MessageRequest>& expected) {
    QStringList shown;
    for (const MessageRequest& message : actual) shown << message.text;
    QVERIFY2(actual.size() == expected.size(), qPrintable(shown.join(QStringLiteral("\n---\n"))));
    for (std::size_t i = 0; i < actual.size(); ++i) {
        QCOMPARE(actual[i].text, expected[i].text);
        QCOMPARE(actual[i].caption, expected[i].caption);
        QCOMPARE(actual[i].icon, expected[i].icon);
        QCOMPARE(actual[i].buttons, expected[i].buttons);
    }
}

// The box of a restart or factory reset, naming the device the window was connected to.
MessageRequest DeviceBox(const WindowRig& rig, UiText text, MessageIcon icon = MessageIcon::Information) {
    return {FormatText(text, ModelName(rig.window->ConnectedModelKind()),
                       FormatExtendedAddress(rig.modem.Settings().extendedAddress).c_str()),
            MessageCaption(), icon, MessageButtons::Ok};
}

int ConnectionDialogCalls(const FakeUiServices& ui) {
    return static_cast<int>(std::count_if(ui.calls.begin(), ui.calls.end(), [](const FakeUiServices::Call& call) {
        return call.kind == FakeUiServices::CallKind::ComConfigDlg;
    }));
}

// Counts the paint events a widget receives while `counting` is set.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (counting && event->type() == QEvent::Paint) ++count;
        return QObject::eventFilter(watched, event);
    }

    bool counting = false;
    int count = 0;
};

// Runs `answer` on the modal window that the next call opens.
void AnswerNextModal(std::function<void(QWidget&)> answer) {
    QTimer::singleShot(0, [answer = std::move(answer)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr) answer(*modal);
    });
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    // A test that switches the language and fails before switching back leaves the next one in Korean.
    void init() { qputenv("Q470_LANG", "ko"); }

    void readShowsTheDevice_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("panId");
        QTest::addColumn<bool>("gpioPage");
        QTest::newRow("Q470R, inactive, setting mode") << int(sim::ModemModel::Q470R) << "Q470R/RX, INACTIVE, 설정 모드"
                                                       << "1234" << true;
        QTest::newRow("KELDAN-KS410") << int(sim::ModemModel::KS410) << "KELDAN-KS410, ACTIVE"
                                      << "4660" << false;
        QTest::newRow("KELDAN-KS400") << int(sim::ModemModel::KS400) << "KELDAN-KS400, ACTIVE"
                                      << "4660" << false;
    }

    void readShowsTheDevice() {
        QFETCH(int, model);
        QFETCH(QString, status);
        QFETCH(QString, panId);
        QFETCH(bool, gpioPage);
        sim::ModemSettings settings = ModemOf(static_cast<sim::ModemModel>(model));
        settings.extendedAddress = 0x00124B001A2B3C4Dull;
        if (settings.model == sim::ModemModel::Q470R) {
            settings.linkActive = false;
            settings.normalMode = false;
            settings.gpio[2] = {2, 1};  // Status LED, inverted
            settings.reportInterval = 60000;
        }
        WindowRig rig(settings);
        QVERIFY(rig.Connect());

        const bool q470r = settings.model == sim::ModemModel::Q470R;
        QCOMPARE(rig.TakeCommands(), Concat(kIdentify, q470r ? kReadQ470R : kReadKs));
        QCOMPARE(rig.TextOf("extendedAddressEdit"), QStringLiteral("00:12:4B:00:1A:2B:3C:4D"));
        QCOMPARE(rig.TextOf("firmwareVersionEdit"), QStringLiteral("1.5.0"));
        QCOMPARE(rig.TextOf("statusInfoLabel"), status);
        QCOMPARE(
            rig.TextOf("portStatePane"),
            QStringLiteral("%1, 9600, No parity, 1 stopbit, 8bit").arg(QString::fromStdString(rig.modem.PortPath())));
        QCOMPARE(rig.TextOf("versionPane"), QStringLiteral("Version 1.5.0"));
        QCOMPARE(Child<QLineEdit>(rig.window->GeneralPage(), "panIdEdit").text(), panId);
        QCOMPARE(Child<QComboBox>(rig.window->GeneralPage(), "baudList").currentText(), QStringLiteral("9600"));
        QVERIFY(GeneralPageEnabled(rig));
        QCOMPARE(GpioPageEnabled(rig), gpioPage);
        if (q470r) {
            QCOMPARE(Child<QComboBox>(rig.window->GpioPage(), "modeList2").currentText(), QStringLiteral("Status LED"));
            QCOMPARE(Child<QComboBox>(rig.window->GpioPage(), "valueList2").currentText(),
                     QStringLiteral("Inv Push Pull"));
            QCOMPARE(Child<QLineEdit>(rig.window->GpioPage(), "intervalEdit").text(), QStringLiteral("60000"));
        } else {
            // Never filled: it still shows its initial content, under the reason it is unavailable.
            QCOMPARE(Child<QLineEdit>(rig.window->GpioPage(), "intervalEdit").text(), QStringLiteral("0"));
            QCOMPARE(Child<QLabel>(rig.window->GpioPage(), "unavailableReason").text(),
                     status.section(QLatin1Char(','), 0, 0) +
                         QStringLiteral("에는 GPIO 설정이 없습니다. GPIO 설정은 Q470R에만 있습니다."));
        }
        QCOMPARE(Child<QLabel>(rig.window->GpioPage(), "unavailableReason").isHidden(), q470r);
        QCOMPARE(EnabledOf(rig, kPortControls), kPortControls);
        QVERIFY(rig.ui.Messages().empty());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void controlsFollowPortAndBusyState() {
        WindowRig rig;
        rig.ui.dialogResults = {false, true, false};
        rig.Show();
        QVERIFY(!rig.window->IsPortOpen());
        QCOMPARE(rig.TextOf("portStatePane"), QStringLiteral("COM 포트 닫힘"));
        QCOMPARE(EnabledOf(rig, kPortControls), QStringList({"comConfigAction", "exitAction"}));
        QVERIFY(!GeneralPageEnabled(rig) && !GpioPageEnabled(rig));

        // The files need a device whatever the caller asks; the identity buttons do nothing without one.
        rig.window->SetControlsEnabled(true, false);
        QCOMPARE(EnabledOf(rig, kPortControls),
                 QStringList({"comConfigAction", "exitAction", "restartButton", "factoryResetButton",
                              "extendedAddressEdit", "firmwareVersionEdit"}));
        Click(Child<QPushButton>(*rig.window, "restartButton"));
        Click(Child<QPushButton>(*rig.window, "factoryResetButton"));
        QVERIFY(!rig.window->IsBusy() && !rig.window->IsWorkerRunning());

        rig.window->findChild<QAction*>("comConfigAction")->trigger();
        QVERIFY(rig.WaitUntilReady());
        QCOMPARE(EnabledOf(rig, kPortControls), kPortControls);

        // Busy from the click on: only exit stays.
        Click(Child<QPushButton>(*rig.window, "restartButton"));
        QVERIFY(rig.window->IsBusy());
        QVERIFY(QApplication::overrideCursor() != nullptr);
        QCOMPARE(EnabledOf(rig, kPortControls), QStringList({"exitAction"}));
        QVERIFY(!GeneralPageEnabled(rig) && !GpioPageEnabled(rig));
        QVERIFY(rig.WaitUntilDisconnected());
        QCOMPARE(EnabledOf(rig, kPortControls), QStringList({"comConfigAction", "exitAction"}));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void toolbarMirrorsMenu() {
        WindowRig rig;
        rig.ui.dialogResults = {false};
        rig.Show();
        auto* toolbar = rig.window->findChild<QToolBar*>("toolbar");
        QVERIFY(toolbar != nullptr);
        QStringList tips;
        for (QAction* action : toolbar->actions()) {
            tips << action->toolTip();
            auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(action));
            QCOMPARE(button->size(), QSize(38, 38));
            QCOMPARE(button->isEnabled(), action->isEnabled());
            QVERIFY(!action->icon().isNull());
        }
        QCOMPARE(tips, QStringList({"COM 포트 설정", "장치 다시 읽기", "설정 파일 읽기", "설정 파일 저장", "종료"}));
        QCOMPARE(toolbar->iconSize(), QSize(32, 32));
        const QList<QAction*> menus = rig.window->menuBar()->actions();
        QCOMPARE(menus.size(), 2);
        QCOMPARE(menus[0]->text(), QStringLiteral("메뉴(&A)"));
        // The toolbar's commands, then the traffic view, the production station, the two options between
        // separators, and exit.
        QList<QAction*> commands = menus[0]->menu()->actions();
        // (A build without the station, Windows, has no station item.)
        const int station = rig.window->findChild<QAction*>("stationAction") ? 1 : 0;
        QCOMPARE(commands.size(), 10 + station);
        QCOMPARE(commands.at(1)->text(), QStringLiteral("장치 다시 읽기(&R)"));
        QCOMPARE(commands.at(4)->objectName(), QStringLiteral("trafficAction"));
        QCOMPARE(commands.at(4)->text(), QStringLiteral("통신 내역 보기(&T)"));
        if (station) QCOMPARE(commands.at(5)->text(), QStringLiteral("생산 스테이션…(&D)"));
        QVERIFY(commands.at(5 + station)->isSeparator());
        QCOMPARE(commands.at(6 + station)->objectName(), QStringLiteral("verifyAfterWriteAction"));
        QCOMPARE(commands.at(6 + station)->text(), QStringLiteral("쓴 뒤 다시 읽어 확인(&V)"));
        QCOMPARE(commands.at(7 + station)->objectName(), QStringLiteral("findDeviceAgainAction"));
        QVERIFY(commands.at(6 + station)->isCheckable() && commands.at(7 + station)->isCheckable());
        QVERIFY(commands.at(8 + station)->isSeparator());
        commands.remove(4, 5 + station);
        QCOMPARE(commands, toolbar->actions());
        QCOMPARE(menus[1]->menu()->actions().at(0)->text(), QStringLiteral("Q470 Manager 정보(&A)..."));
        const auto* tabs = rig.window->findChild<QTabWidget*>("tabs");
        QCOMPARE(tabs->tabText(0), QStringLiteral("기본설정"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("GPIO설정"));
        QCOMPARE(rig.window->windowTitle(), QStringLiteral("Q470 Manager"));
    }

    // A failure's box keeps its text first and adds, in words, what the device took and the failed step.
    void applyGeneral_data() {
        QTest::addColumn<QString>("refused");  // keyword the device answers ERROR, or empty
        QTest::addColumn<QString>("box");
        QTest::newRow("done") << QString() << Text(UiText::ApplyGeneralDone);
        QTest::newRow("failed") << "AT+RFCH="
                                << Text(UiText::ApplyGeneralFailed) +
                                       QStringLiteral(
                                           "\n\n장치가 받아들인 설정: 운영 모드, PAN ID, PHY ID\n"
                                           "실패한 단계: 채널 쓰기");
    }

    void applyGeneral() {
        QFETCH(QString, refused);
        QFETCH(QString, box);
        WindowRig rig;
        QVERIFY(rig.Connect());
        rig.TakeCommands();
        if (!refused.isEmpty()) rig.modem.SetFault(refused.toStdString(), Fault(false, true));
        ClickPageApply(rig.window->GeneralPage());
        QVERIFY(rig.WaitForMessages(1));
        const auto icon = refused.isEmpty() ? MessageIcon::Information : MessageIcon::Error;
        CompareMessages(rig.ui.Messages(), {{box, MessageCaption(), icon, MessageButtons::Ok}});
        const Commands sent = rig.TakeCommands();
        QCOMPARE(sent, refused.isEmpty() ? kApplyGeneralDefaults
                                         : Commands(kApplyGeneralDefaults.begin(), kApplyGeneralDefaults.begin() + 4));
        QVERIFY(rig.IsReady());
        QVERIFY(GeneralPageEnabled(rig) && GpioPageEnabled(rig));
    }

    // Apply without a change writes the radio plan the device holds: a PHY ID and channel pair the channel
    // table allows, and the device's own where the page's PHY ID would leave its plan.
    void applyWithoutAChangeKeepsTheRadioPlan_data() {
        QTest::addColumn<int>("phyId");
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("phyCommand");
        QTest::addColumn<QString>("channelCommand");
        QTest::newRow("PHY ID 8") << 8 << 50 << "AT+PHYID=8\r"
                                  << "AT+RFCH=50\r";
        QTest::newRow("PHY ID 5") << 5 << 95 << "AT+PHYID=2\r"
                                  << "AT+RFCH=95\r";
        QTest::newRow("PHY ID 13") << 13 << 105 << "AT+PHYID=12\r"
                                   << "AT+RFCH=105\r";
        QTest::newRow("PHY ID without a plan") << 3 << 120 << "AT+PHYID=3\r"
                                               << "AT+RFCH=120\r";
    }

    void applyWithoutAChangeKeepsTheRadioPlan() {
        QFETCH(int, phyId);
        QFETCH(int, channel);
        QFETCH(QString, phyCommand);
        QFETCH(QString, channelCommand);
        sim::ModemSettings settings = ModemOf(sim::ModemModel::Q470R);
        settings.phyId = static_cast<std::uint8_t>(phyId);
        settings.rfChannel = static_cast<std::uint8_t>(channel);
        WindowRig rig(settings);
        QVERIFY(rig.Connect());
        rig.TakeCommands();
        ClickPageApply(rig.window->GeneralPage());
        QVERIFY(rig.WaitForMessages(1));
        CompareMessages(rig.ui.Messages(), {Box(UiText::ApplyGeneralDone, MessageIcon::Information)});
        const Commands sent = rig.TakeCommands();
        QCOMPARE(sent.at(2), phyCommand.toStdString());
        QCOMPARE(sent.at(3), channelCommand.toStdString());
        QCOMPARE(int(rig.modem.Settings().phyId), phyCommand.mid(9).chopped(1).toInt());
        QCOMPARE(int(rig.modem.Settings().rfChannel), channel);
    }

    // While the window waits for the association clear's answer it shows the wait cursor, keeps its
    // controls disabled and goes on painting.
    void changedPanIdOnOldFirmwareClearsAssociationsAndRestarts() {
        WindowRig rig(ModemOf(sim::ModemModel::Q470R, "1.4.0"));
        rig.ui.dialogResults = {true, false};
        QVERIFY(rig.Connect());
        rig.TakeCommands();
        sim::CommandFault slowClear;
        slowClear.delay = 600ms;
        rig.modem.SetFault("AT+ASSOCCLR", slowClear);
        PaintCounter paints;
        rig.window->installEventFilter(&paints);
        int ticks = 0;
        int busyTicks = 0;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            const Commands sent = rig.modem.Commands();
            paints.counting = std::count(sent.begin(), sent.end(), "AT+ASSOCCLR\r") == 1 &&
                              std::count(sent.begin(), sent.end(), "ATZ\r") == 0;
            if (!paints.counting) return;
            ++ticks;
            const QCursor* cursor = QApplication::overrideCursor();
            if (cursor != nullptr && cursor->shape() == Qt::WaitCursor && !GeneralPageEnabled(rig)) ++busyTicks;
            rig.window->update();
        });
        watch.start(10);
        TypeInto(Child<QLineEdit>(rig.window->GeneralPage(), "panIdEdit"), QStringLiteral("4321"));
        ClickPageApply(rig.window->GeneralPage());
        QVERIFY(rig.WaitUntilDisconnected());
        QTRY_COMPARE_WITH_TIMEOUT(ConnectionDialogCalls(rig.ui), 2, kHangGuardMs);
        watch.stop();
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));  // the event loop ran during the wait
        QCOMPARE(busyTicks, ticks);
        QVERIFY2(paints.count >= 5, qPrintable(QString::number(paints.count)));

        CompareMessages(rig.ui.Messages(),
                        {Box(UiText::PanIdChanged, MessageIcon::Information), DeviceBox(rig, UiText::RestartDone)});
        // The late "+READY" of the association clear ends the restart command, so the window may have
        // let go of the port a moment before the device takes ATZ in.
        const Commands expected{"AT+OPMODE=2\r", "AT+PANID=4321\r", "AT+PHYID=12\r",
                                "AT+RFCH=99\r",  "AT+NETROLE=1\r",  "AT+UART=9600,0,0,8\r",
                                "AT+QM=0\r",     "AT+ASSOCCLR\r",   "ATZ\r"};
        QCOMPARE(rig.TakeCommands(expected.size()), expected);
        QCOMPARE(rig.TextOf("portStatePane"), QStringLiteral("COM 포트 닫힘"));
        QCOMPARE(rig.TextOf("statusInfoLabel"), QString());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void applyGpio_data() {
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("commands");
        QTest::newRow("done") << QString() << Text(UiText::ApplyGpioDone) << 14;
        QTest::newRow("pin 4 not acknowledged")
            << "AT+GPIOC=0010"
            << Text(UiText::ApplyGpioFailed) +
                   QStringLiteral("\n\n장치가 받아들인 설정: GPIO 0~3번 핀\n실패한 단계: GPIO 4번 핀 쓰기")
            << 5;
    }

    void applyGpio() {
        QFETCH(QString, refused);
        QFETCH(QString, box);
        QFETCH(int, commands);
        WindowRig rig;
        QVERIFY(rig.Connect());
        rig.TakeCommands();
        if (!refused.isEmpty()) rig.modem.SetFault(refused.toStdString(), Fault(false, true));
        rig.window->findChild<QTabWidget*>("tabs")->setCurrentIndex(1);
        ClickPageApply(rig.window->GpioPage());
        QVERIFY(rig.WaitForMessages(1));
        const auto icon = refused.isEmpty() ? MessageIcon::Information : MessageIcon::Error;
        CompareMessages(rig.ui.Messages(), {{box, MessageCaption(), icon, MessageButtons::Ok}});
        const Commands sent = rig.TakeCommands();
        QCOMPARE(int(sent.size()), commands);
        QCOMPARE(sent.front(), std::string("AT+GPIOC=0001,0,0\r"));
        if (refused.isEmpty()) QCOMPARE(sent.back(), std::string("AT+GPIOP=0,0\r"));
        QVERIFY(rig.IsReady());
    }

    // Factory reset asks first, naming the device, with No as the default; restart and factory reset say
    // what they did before the connection dialog comes back; the port command only reconnects.
    void restartResetAndPortCommandReconnect_data() {
        QTest::addColumn<QByteArray>("language");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("answer");             // to the factory reset's question
        QTest::addColumn<QString>("deviceCommand");  // empty: nothing is sent to the device
        QTest::addColumn<int>("told");               // the box before the dialog, or 0 for none
        const int none = 0;
        QTest::newRow("restart") << QByteArray("ko") << "restartButton" << none << "ATZ\r" << int(UiText::RestartDone);
        QTest::newRow("factory reset") << QByteArray("ko") << "factoryResetButton" << int(MessageAnswer::Yes)
                                       << "AT&F\r" << int(UiText::FactoryResetDone);
        QTest::newRow("factory reset, en") << QByteArray("en") << "factoryResetButton" << int(MessageAnswer::Yes)
                                           << "AT&F\r" << int(UiText::FactoryResetDone);
        QTest::newRow("factory reset declined")
            << QByteArray("ko") << "factoryResetButton" << int(MessageAnswer::No) << QString() << none;
        QTest::newRow("port settings") << QByteArray("ko") << "comConfigAction" << none << QString() << none;
    }

    void restartResetAndPortCommandReconnect() {
        QFETCH(QByteArray, language);
        QFETCH(QString, control);
        QFETCH(int, answer);
        QFETCH(QString, deviceCommand);
        QFETCH(int, told);
        const int none = 0;
        qputenv("Q470_LANG", language);
        WindowRig rig(ModemOf(sim::ModemModel::KS410));
        QVERIFY(rig.Connect());
        rig.TakeCommands();
        const bool asks = control == QStringLiteral("factoryResetButton");
        if (asks) rig.ui.answers = {MessageAnswer(answer)};
        if (auto* action = rig.window->findChild<QAction*>(control)) {
            action->trigger();
        } else {
            Click(Child<QPushButton>(*rig.window, control));
        }
        const bool reconnects = !(asks && MessageAnswer(answer) == MessageAnswer::No);
        if (reconnects) {
            QTRY_COMPARE_WITH_TIMEOUT(ConnectionDialogCalls(rig.ui), 2, kHangGuardMs);
            QVERIFY(rig.WaitUntilReady());
        }
        std::vector<MessageRequest> expected;
        if (asks) {
            expected.push_back(
                {language == "en" ? QStringLiteral("Every setting of the KELDAN-KS410 (extended address "
                                                   "00:12:4B:00:1A:2B:3C:4D) returns to its factory default. This "
                                                   "cannot be undone.\n\nReset the device to its factory defaults?")
                                  : QStringLiteral("KELDAN-KS410(확장 주소 00:12:4B:00:1A:2B:3C:4D)의 모든 설정이 공장 "
                                                   "출하 기본값으로 돌아갑니다. 되돌릴 수 없습니다.\n\n공장 "
                                                   "초기화를 하시겠습니까?"),
                 Text(UiText::FactoryResetButton), MessageIcon::Warning, MessageButtons::YesNo});
            QCOMPARE(rig.ui.Messages().at(0).defaultAnswer, MessageAnswer::No);
        }
        if (told != none) expected.push_back(DeviceBox(rig, UiText(told)));
        CompareMessages(rig.ui.Messages(), expected);
        qputenv("Q470_LANG", "ko");
        // Told before the dialog opens again.
        if (told != none) QCOMPARE(rig.ui.calls.at(rig.ui.calls.size() - 2).kind, FakeUiServices::CallKind::Message);
        Commands sent = reconnects ? Concat(kIdentify, kReadKs) : Commands{};
        if (!deviceCommand.isEmpty()) sent.insert(sent.begin(), deviceCommand.toStdString());
        QCOMPARE(rig.TakeCommands(), sent);
        QVERIFY(rig.IsReady());
    }

    void silentDeviceIsReportedAndDisconnected() {
        WindowRig rig;
        rig.modem.SetFaultPolicy([](const std::string&) { return Fault(true, false); });
        rig.Show();
        QVERIFY(rig.WaitForMessages(1));
        CompareMessages(rig.ui.Messages(), {Box(UiText::NoDeviceResponse, MessageIcon::Warning)});
        QVERIFY(rig.WaitUntilDisconnected());
        QCOMPARE(rig.TextOf("portStatePane"), QStringLiteral("COM 포트 닫힘"));
        QCOMPARE(EnabledOf(rig, kPortControls), QStringList({"comConfigAction", "exitAction"}));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void deviceHangingUpMidJob_data() {
        QTest::addColumn<QByteArray>("language");
        QTest::addColumn<QString>("command");  // the device hangs up instead of answering it
        QTest::addColumn<bool>("apply");       // during an apply of the general page; else during the first read
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("icon");  // of the job's failure
        QTest::newRow("read, ko") << QByteArray("ko") << "AT+NETINFO?" << false
                                  << QStringList{"COM 포트에 문제가 발생하였습니다. \n\n포트: %1\n"
                                                 "원인: 연결이 끊어졌습니다. 어댑터가 뽑혔거나 장치가 연결을 "
                                                 "끊었습니다.\n케이블과 어댑터를 확인한 뒤, 메뉴의 'COM 포트 설정'"
                                                 "에서 포트를 골라 다시 연결해 주세요.",
                                                 Text(UiText::NoDeviceResponse, UiLanguage::Korean)}
                                  << int(MessageIcon::Warning);
        QTest::newRow("apply, en") << QByteArray("en") << "AT+RFCH=" << true
                                   << QStringList{"A problem occurred on the COM port. \n\nPort: %1\n"
                                                  "Cause: The connection was closed: the adapter was unplugged or "
                                                  "the device hung up.\nCheck the cable and the adapter, then "
                                                  "choose the port again under Serial Port Config in the menu.",
                                                  "Failed to apply general setting values\n\n"
                                                  "The device took: operation mode, PAN ID, PHY ID\n"
                                                  "Failed step: writing the RF channel"}
                                   << int(MessageIcon::Error);
    }

    // The job still waits for its answer when the port fails: the port problem is told first, with the
    // port, why and what to do, then, once that box is closed, the job's own failure; the boxes never
    // stack. Nothing is left running, and values the pages showed are marked as read earlier.
    void deviceHangingUpMidJob() {
        QFETCH(QByteArray, language);
        QFETCH(QString, command);
        QFETCH(bool, apply);
        QFETCH(QStringList, texts);
        QFETCH(int, icon);
        qputenv("Q470_LANG", language);
        WindowRig rig;
        rig.ui.messageDwell = 300ms;  // long enough for the job's result to arrive while the first box is open
        if (apply) {
            QVERIFY(rig.Connect());
            rig.modem.SetFault(command.toStdString(), Fault(false, false, true));
            ClickPageApply(rig.window->GeneralPage());
        } else {
            rig.modem.SetFault(command.toStdString(), Fault(false, false, true));
            rig.Show();
        }
        QVERIFY(rig.WaitForMessages(2));
        QTest::qWait(100);  // a third box would come now
        qputenv("Q470_LANG", "ko");
        const QString port = QString::fromStdString(rig.modem.PortPath());
        CompareMessages(rig.ui.Messages(),
                        {{texts[0].arg(port), MessageCaption(), MessageIcon::Error, MessageButtons::Ok},
                         {texts[1], MessageCaption(), MessageIcon(icon), MessageButtons::Ok}});
        QCOMPARE(rig.ui.mostOpenMessages, 1);
        QVERIFY(rig.WaitUntilDisconnected());
        QCOMPARE(EnabledOf(rig, kPortControls), QStringList({"comConfigAction", "exitAction"}));
        QVERIFY(!GeneralPageEnabled(rig));
        QCOMPARE(rig.TextOf("extendedAddressEdit"), QString());
        QCOMPARE(Child<QLabel>(*rig.window, "staleNotice").isVisible(), apply);  // only a read fills the pages
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void closingWhileJobRunsLeavesNoThread() {
        WindowRig rig;
        sim::CommandFault slow;
        slow.delay = 5s;  // far beyond the moment of closing
        rig.modem.SetFault("AT+GPIOC?", slow);
        rig.Show();
        QVERIFY(QTest::qWaitFor([&] { return rig.modem.Commands().size() >= 6; }, kHangGuardMs));
        QVERIFY(rig.window->IsBusy());

        QPointer<CKeldanQ470RConfiguratorDlg> window = rig.window.release();
        window->setAttribute(Qt::WA_DeleteOnClose);
        QVERIFY(window->close());
        QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), 1000);
        QCOMPARE(g_openLinks, 0);
        QCOMPARE(IoServiceExec::Instance().ThreadCount(), std::size_t(0));
        // The failed read's result finds no window.
        QTest::qWait(50);
        QCOMPARE(rig.ui.Messages().size(), std::size_t(1));  // only the close question
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void secondQueuedOpenDisconnectsWithoutReopening() {
        WindowRig rig;
        rig.ui.dialogResults = {false};
        rig.Show();
        ComConfigDlg& dialog = rig.window->ConnectionDialog();  // the modem's port chosen, nothing posted
        dialog.show();
        dialog.accept();
        for (int i = 0; i < 2; ++i) {
            QCoreApplication::postEvent(rig.window.get(), new AppMessageEvent(WM_APP_OPEN_PORT, 0, 0));
        }
        QCoreApplication::sendPostedEvents(rig.window.get(), AppMessageEvent::EventType());
        QVERIFY(!rig.window->IsPortOpen());
        QVERIFY(!rig.window->IsWorkerRunning());
        QCOMPARE(EnabledOf(rig, kPortControls),
                 QStringList({"comConfigAction", "exitAction", "restartButton", "factoryResetButton",
                              "extendedAddressEdit", "firmwareVersionEdit"}));
        QVERIFY(!GeneralPageEnabled(rig));
        // Whatever the cut-short identify reports, the port stays closed and nothing is left busy.
        QTest::qWait(100);
        QVERIFY(!rig.window->IsPortOpen() && !rig.window->IsBusy());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        for (const auto& message : rig.ui.Messages()) QCOMPARE(message.text, Text(UiText::NoDeviceResponse));
    }

    // The reason is the window's own text; the connection dialog comes back at once, and the port chosen
    // there (the modem's, or the same once it is free) connects.
    void portThatDoesNotOpen_data() {
        QTest::addColumn<bool>("held");  // another program holds the modem's port; otherwise the port is missing
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << false << "포트가 없습니다.";
        QTest::newRow("busy") << true << "포트가 사용 중입니다. " + Text(UiText::PortBusyHint);
    }

    void portThatDoesNotOpen() {
        QFETCH(bool, held);
        QFETCH(QString, reason);
        WindowRig rig;
        Q470Comm otherProgram;
        const std::string missing = "/dev/q470-no-such-port";
        if (held) {
            QVERIFY(!otherProgram.Open(rig.modem.PortPath(), 9600, 8, 0, 0));
        } else {
            RegisterRuntimePort(missing);
            rig.window->ConnectionDialog().SetPreferredPort(QString::fromStdString(missing));
        }
        bool openWhenAsked = true;
        QString pane;
        rig.ui.dialogDriver = [&](ComConfigDlg& dialog) {
            if (ConnectionDialogCalls(rig.ui) == 2) {  // after the failure, before the user picks again
                openWhenAsked = rig.window->IsPortOpen();
                pane = rig.TextOf("portStatePane");
                otherProgram.Close();
                dialog.SetPreferredPort(QString::fromStdString(rig.modem.PortPath()));
            }
            dialog.show();
            dialog.accept();
            return true;
        };
        QVERIFY(rig.Connect());
        UnregisterRuntimePort(missing);
        CompareMessages(rig.ui.Messages(), {{QStringLiteral("COM 포트를 열지 못하였습니다: ") + reason,
                                             MessageCaption(), MessageIcon::Error, MessageButtons::Ok}});
        QCOMPARE(ConnectionDialogCalls(rig.ui), 2);
        QVERIFY(!openWhenAsked);
        QCOMPARE(pane, QStringLiteral("COM 포트 닫힘"));
    }

    void connectionTexts() {
        QCOMPARE(LineSummaryText("COM3", 9600, 0, 0, 8), QStringLiteral("COM3, 9600, No parity, 1 stopbit, 8bit"));
        QCOMPARE(LineSummaryText("/dev/ttyUSB0", 19200, 1, 2, 7),
                 QStringLiteral("/dev/ttyUSB0, 19200, Odd parity, 2 stopbit, 7bit"));
        QCOMPARE(LineSummaryText("COM1", 4800, 2, 1, 8), QStringLiteral("COM1, 4800, Even parity, 1.5 stopbit, 8bit"));
        QCOMPARE(LineSummaryText("COM1", 2400, 3, 3, 6), QStringLiteral("COM1, 2400, , , "));

        // Failure text, reason and hint joined as sentences, in both languages; the common reasons in the
        // window's own words, any other in the system's.
        const struct {
            const char* language;
            std::error_code error;
            QString text;
        } openErrors[] = {
            {"ko", std::make_error_code(std::errc::device_or_resource_busy),
             "COM 포트를 열지 못하였습니다: 포트가 사용 중입니다. 다른 프로그램이 이 포트를 사용하고 있습니다. 그 "
             "프로그램을 닫고 다시 시도해 주세요."},
            {"en", std::make_error_code(std::errc::device_or_resource_busy),
             "Failed to open the COM port: The port is busy. Another program is using this port. Close that "
             "program and try again."},
            {"ko", std::make_error_code(std::errc::permission_denied),
             "COM 포트를 열지 못하였습니다: 권한이 없습니다. 이 포트를 열 권한이 없습니다. 사용자를 dialout 그룹에 "
             "추가한 뒤(sudo usermod -aG dialout 사용자이름) 로그아웃했다가 다시 로그인해 주세요."},
            {"en", std::make_error_code(std::errc::permission_denied),
             "Failed to open the COM port: Permission denied. You have no permission to open this port. Add your user "
             "to the dialout group (sudo usermod -aG dialout USERNAME), then log out and log in again."},
            {"ko", std::make_error_code(std::errc::io_error),
             "COM 포트를 열지 못하였습니다: 입출력 오류입니다. 어댑터가 오류를 알렸습니다."},
            {"en", std::error_code(ENXIO, std::system_category()),
             "Failed to open the COM port: No such device: the adapter may have been unplugged."},
            {"en", std::make_error_code(std::errc::no_such_file_or_directory),
             "Failed to open the COM port: The port does not exist."},
            {"ko", std::make_error_code(std::errc::invalid_argument),
             "COM 포트를 열지 못하였습니다: Invalid argument."},
        };
        for (const auto& entry : openErrors) {
            qputenv("Q470_LANG", entry.language);
            const QString text = PortOpenErrorText(entry.error);
            qputenv("Q470_LANG", "ko");
            QCOMPARE(text, entry.text);
        }
    }

    void keysNeverCloseTheWindow() {
        WindowRig rig;
        QVERIFY(rig.Connect());
        for (auto key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_F1}) {
            QTest::keyClick(rig.window.get(), key);
            QTest::keyClick(&Child<QLineEdit>(rig.window->GeneralPage(), "panIdEdit"), key);
        }
        QCoreApplication::processEvents();
        QVERIFY(rig.window->isVisible());
        QVERIFY(rig.ui.Messages().empty());
        QVERIFY(rig.IsReady());  // Enter applied nothing
        QCOMPARE(rig.TakeCommands(), Concat(kIdentify, kReadQ470R));
    }

    void closeAsksFirst() {
        WindowRig rig;
        rig.ui.dialogResults = {false};
        rig.Show();
        rig.ui.answers = {MessageAnswer::No, MessageAnswer::Yes};
        QVERIFY(!rig.window->close());
        QVERIFY(rig.window->isVisible());
        rig.window->findChild<QAction*>("exitAction")->trigger();
        QVERIFY(!rig.window->isVisible());
        const MessageRequest question{QStringLiteral("프로그램을 종료하시겠습니까?"), QStringLiteral("프로그램 종료"),
                                      MessageIcon::Information, MessageButtons::YesNo};
        CompareMessages(rig.ui.Messages(), {question, question});
    }

    void droppedJobEndsTheWaitCursor() {
        WindowRig rig;
        QVERIFY(rig.Connect());
        rig.window->QueueJob(99);  // no such job: the worker drops it and no result follows
        QVERIFY(QApplication::overrideCursor() != nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(QApplication::overrideCursor() == nullptr, kHangGuardMs);
        QVERIFY(!rig.window->IsBusy());
        QVERIFY(rig.ui.Messages().empty());
    }

    void aboutBoxAndVersion() {
        WindowRig rig;
        rig.ui.dialogResults = {false};
        rig.Show();
        QString title;
        QStringList texts;
        bool hasIcon = false;
        AnswerNextModal([&](QWidget& modal) {
            title = modal.windowTitle();
            for (auto* label : modal.findChildren<QLabel*>()) {
                if (label->pixmap().isNull()) {
                    texts << label->text();
                } else {
                    hasIcon = true;
                }
            }
            Click(Child<QPushButton>(modal, "okButton"));
        });
        rig.window->findChild<QAction*>("aboutAction")->trigger();
        QCOMPARE(title, QStringLiteral("Q470 Manager 정보"));
        QCOMPARE(texts.size(), 2);
        QCOMPARE(texts[0], QStringLiteral("Q470 Manager"));
        QVERIFY(texts[1].contains(QStringLiteral("Brevint")));
        QVERIFY(hasIcon);
        QCOMPARE(VersionPaneText({2, 10, 3}), QStringLiteral("Version 2.10.3"));
        QCOMPARE(rig.TextOf("versionPane"), QStringLiteral("Version 1.5.0"));
    }
};

}  // namespace q470

QTEST_MAIN(q470::MainWindowTest)
#include "main_window_test.moc"
