#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "general_info_page.h"
#include "gpio_config_page.h"
#include "keldan_q470r_configurator_dlg.h"
#include "string_table.h"
#include "traffic_view.h"
#include "widget_driver.h"
#include "window_rig.h"

namespace q470 {
namespace {

QString NameOf(const QWidget* widget) {
    return widget == nullptr ? QStringLiteral("(none)") : widget->objectName();
}

// The widgets Tab visits from `first` until it comes back to it.
QStringList TabChainFrom(QWidget& first) {
    first.setFocus(Qt::TabFocusReason);
    QStringList chain{NameOf(QApplication::focusWidget())};
    for (int step = 0; step < 100; ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (QApplication::focusWidget() == &first) break;
        chain << NameOf(QApplication::focusWidget());
    }
    return chain;
}

// A connected Q470R in the active window, on the given tab.
bool ConnectAndActivate(WindowRig& rig, int tab) {
    if (!rig.Connect()) return false;
    rig.window->findChild<QTabWidget*>(QStringLiteral("tabs"))->setCurrentIndex(tab);
    rig.window->activateWindow();
    return QTest::qWaitFor([&] { return QApplication::activeWindow() == rig.window.get(); });
}

const QStringList kIdentityChain{"extendedAddressEdit", "firmwareVersionEdit", "restartButton", "factoryResetButton",
                                 "qt_tabwidget_tabbar"};

int FileDialogCalls(const FakeUiServices& ui) {
    return static_cast<int>(std::count_if(ui.calls.begin(), ui.calls.end(), [](const FakeUiServices::Call& call) {
        return call.kind == FakeUiServices::CallKind::OpenFile || call.kind == FakeUiServices::CallKind::SaveFile;
    }));
}

// The access keys of a menu's entries, in order; an entry without one gives an empty key.
QStringList AccessKeys(const QMenu& menu) {
    QStringList keys;
    for (const QAction* action : menu.actions()) {
        if (!action->isSeparator()) keys << QKeySequence::mnemonic(action->text()).toString();
    }
    return keys;
}

}  // namespace

class WindowKeyboardTest : public QObject {
    Q_OBJECT

private slots:
    // Tab follows what the eye reads: the identity box, the tabs, then the page top to bottom with Apply
    // last. In a radio pair Tab stops at the chosen radio.
    void tabOrderFollowsTheLayout_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QStringList>("page");
        QTest::newRow("general") << 0 << QStringList{"roleMaster",     "panIdEdit",    "channelList",  "atCommandMode",
                                                     "layoutOneToOne", "responseOn",   "baudList",     "parityList",
                                                     "stopBitsList",   "dataBitsList", "rxPullUpList", "applyButton"};
        QStringList gpio;
        for (int pin = 0; pin <= 12; ++pin)
            gpio << QStringLiteral("modeList%1").arg(pin) << QStringLiteral("valueList%1").arg(pin);
        gpio << "intervalEdit"
             << "sendToPeerBox"
             << "applyButton";
        QTest::newRow("GPIO") << 1 << gpio;
    }

    void tabOrderFollowsTheLayout() {
        QFETCH(int, tab);
        QFETCH(QStringList, page);
        WindowRig rig;
        QVERIFY(ConnectAndActivate(rig, tab));
        QCOMPARE(TabChainFrom(Child<QLineEdit>(*rig.window, "extendedAddressEdit")), kIdentityChain + page);
    }

    // After connecting, the focus is on the page's first control: the keyboard starts where the work is.
    void focusStartsOnThePage() {
        WindowRig rig;
        rig.ui.dialogResults = {false, true};
        rig.Show();
        rig.window->activateWindow();
        QVERIFY(QTest::qWaitFor([&] { return QApplication::activeWindow() == rig.window.get(); }));
        rig.window->findChild<QAction*>("comConfigAction")->trigger();
        QVERIFY(rig.WaitUntilReady());
        QCOMPARE(NameOf(rig.window->focusWidget()), QStringLiteral("roleMaster"));
    }

    // Every menu opens with Alt and its letter and every entry has a letter of its own, in both languages;
    // the files, the traffic and exit have their shortcuts; the tab keys switch pages wherever the focus
    // is, a list with the focus included, without changing its value.
    void keyboardReachesEveryCommand_data() {
        QTest::addColumn<QByteArray>("language");
        QTest::addColumn<QString>("menuTitle");
        QTest::newRow("ko") << QByteArray("ko") << "메뉴(&A)";
        QTest::newRow("en") << QByteArray("en") << "&Application Config";
    }

    void keyboardReachesEveryCommand() {
        QFETCH(QByteArray, language);
        QFETCH(QString, menuTitle);
        qputenv("Q470_LANG", language);
        WindowRig rig;
        qputenv("Q470_LANG", "ko");
        QVERIFY(ConnectAndActivate(rig, 0));
        CKeldanQ470RConfiguratorDlg& window = *rig.window;

        const QList<QAction*> menus = window.menuBar()->actions();
        QCOMPARE(menus.at(0)->text(), menuTitle);
        QStringList titleKeys;
        for (const QAction* menu : menus) {
            titleKeys << QKeySequence::mnemonic(menu->text()).toString();
            QStringList keys = AccessKeys(*menu->menu());
            QVERIFY2(!keys.contains(QString()) && keys.removeDuplicates() == 0, qPrintable(keys.join(' ')));
        }
        QCOMPARE(titleKeys, QStringList({"Alt+A", "Alt+H"}));
        QTest::keyClick(&window, Qt::Key_A, Qt::AltModifier);
        QTRY_COMPARE(QApplication::activePopupWidget(), menus.at(0)->menu());
        QApplication::activePopupWidget()->close();

        const auto shortcuts = [&](const char* name) { return window.findChild<QAction*>(name)->shortcuts(); };
        QCOMPARE(shortcuts("loadConfigAction"), QKeySequence::keyBindings(QKeySequence::Open));
        QCOMPARE(shortcuts("saveConfigAction"), QKeySequence::keyBindings(QKeySequence::Save));
        QCOMPARE(shortcuts("exitAction"), QKeySequence::keyBindings(QKeySequence::Quit));
        auto& parity = Child<QComboBox>(window.GeneralPage(), "parityList");
        parity.setFocus(Qt::TabFocusReason);
        QTest::keyClick(&parity, Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(&parity, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(FileDialogCalls(rig.ui), 2);  // both cancelled
        QTest::keyClick(&parity, Qt::Key_T, Qt::ControlModifier);
        auto* traffic = window.findChild<TrafficView*>("trafficView");
        QVERIFY(traffic != nullptr && traffic->isVisible());
        traffic->close();
        window.activateWindow();
        QVERIFY(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }));

        auto& tabs = Child<QTabWidget>(window, "tabs");
        const QString parityBefore = parity.currentText();
        parity.setFocus(Qt::TabFocusReason);
        QTest::keyClick(&parity, Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(tabs.currentIndex(), 1);
        QCOMPARE(parity.currentText(), parityBefore);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(tabs.currentIndex(), 0);
        auto& panId = Child<QLineEdit>(window.GeneralPage(), "panIdEdit");
        panId.setFocus(Qt::TabFocusReason);
        QTest::keyClick(&panId, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(tabs.currentIndex(), 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(tabs.currentIndex(), 0);

        // Exit's key is the platform's (Ctrl+Q on Linux desktops; Windows closes with Alt+F4 itself).
        const QList<QKeySequence> quit = QKeySequence::keyBindings(QKeySequence::Quit);
        if (!quit.isEmpty()) {
            rig.ui.answers = {MessageAnswer::No};
            QTest::keySequence(&panId, quit.front());
            QCOMPARE(rig.ui.Messages().size(), std::size_t(1));
            QCOMPARE(rig.ui.Messages()[0].text, Text(UiText::CloseConfirm));
        }
        QVERIFY(window.isVisible());
        QVERIFY(rig.IsReady());
        QCOMPARE(rig.TakeCommands().size(), std::size_t(9));  // identify and read: no key wrote anything
    }

    // A refused value puts the focus back into its field with the text selected: what is typed next
    // replaces it, and the corrected value goes out.
    void refusedValueTakesTheFocusBack_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("refused");
        QTest::addColumn<int>("message");
        QTest::addColumn<QString>("corrected");
        QTest::addColumn<QString>("sent");  // a command the corrected apply sends
        QTest::newRow("PAN ID") << 0 << "panIdEdit"
                                << "65534" << int(UiText::InvalidPanId) << "4321"
                                << "AT+PANID=4321\r";
        QTest::newRow("report interval") << 1 << "intervalEdit"
                                         << "500" << int(UiText::InvalidGpioInterval) << "1500"
                                         << "AT+GPIOP=1500,0\r";
    }

    void refusedValueTakesTheFocusBack() {
        QFETCH(int, tab);
        QFETCH(QString, field);
        QFETCH(QString, refused);
        QFETCH(int, message);
        QFETCH(QString, corrected);
        QFETCH(QString, sent);
        WindowRig rig;
        QVERIFY(ConnectAndActivate(rig, tab));
        QWidget& page = tab == 0 ? static_cast<QWidget&>(rig.window->GeneralPage()) : rig.window->GpioPage();
        auto& edit = Child<QLineEdit>(page, field);
        TypeInto(edit, refused);
        Click(Child<QPushButton>(page, "applyButton"));
        QCOMPARE(rig.ui.Messages().size(), std::size_t(1));
        QVERIFY(rig.ui.Messages()[0].text.startsWith(Text(UiText(message)) + QStringLiteral("\n\n")));
        QCOMPARE(QApplication::focusWidget(), &edit);
        QCOMPARE(edit.selectedText(), refused);

        rig.TakeCommands();
        QTest::keyClicks(QApplication::focusWidget(), corrected);
        QCOMPARE(edit.text(), corrected);
        Click(Child<QPushButton>(page, "applyButton"));
        QVERIFY(rig.WaitForMessages(2));
        const auto commands = rig.TakeCommands();
        QVERIFY(std::find(commands.begin(), commands.end(), sent.toStdString()) != commands.end());
    }
};

}  // namespace q470

QTEST_MAIN(q470::WindowKeyboardTest)
#include "window_keyboard_test.moc"
