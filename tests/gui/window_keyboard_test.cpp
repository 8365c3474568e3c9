#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "general_info_page.h"
#include "gpio_config_page.h"
#include "keldan_q470r_configurator_dlg.h"
#include "string_table.h"
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
