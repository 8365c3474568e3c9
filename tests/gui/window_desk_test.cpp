// The window at a desk: reading the device again (F5, toolbar, menu) and the marks of values changed
// but not yet written, against the simulated modem.

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "change_mark.h"
#include "general_info_page.h"
#include "gpio_config_page.h"
#include "string_table.h"
#include "widget_driver.h"
#include "window_rig.h"

namespace q470 {
namespace {

using Commands = std::vector<std::string>;

const Commands kReadQ470R{"AT+INFO?\r", "AT+NETINFO?\r", "AT+GPIOC?\r", "AT+GPIOP?\r", "AT+VER?\r", "AT+URPU?\r"};
const Commands kReadKs{"AT+INFO?\r", "AT+NETINFO?\r", "AT+VER?\r", "AT+UPANID?\r"};

QString OtherItem(const QComboBox& list) {
    for (const QString& text : ItemTexts(list)) {
        if (text != list.currentText()) return text;
    }
    return {};
}

QLabel& LabelOf(const QWidget& page, const char* control) {
    QLabel* label = LabelFor(page, Child<QWidget>(page, QString::fromLatin1(control)));
    if (label == nullptr) throw std::runtime_error(std::string("no label for ") + control);
    return *label;
}

QString ApplyTextOf(const QWidget& page) {
    return Child<QPushButton>(page, "applyButton").text();
}

}  // namespace

class WindowDeskTest : public QObject {
    Q_OBJECT

private slots:
    // F5, the toolbar and the menu read the device again with the model's own read; without changes on
    // the pages nothing is asked.
    void readsTheDeviceAgain_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<Commands>("reads");
        QTest::newRow("Q470R") << int(sim::ModemModel::Q470R) << kReadQ470R;
        QTest::newRow("KS410") << int(sim::ModemModel::KS410) << kReadKs;
    }
    void readsTheDeviceAgain() {
        QFETCH(int, model);
        QFETCH(Commands, reads);
        WindowRig rig(ModemOf(static_cast<sim::ModemModel>(model)));
        rig.ui.dialogResults = {false, true};
        rig.Show();
        QAction& read = *rig.window->findChild<QAction*>("readDeviceAction");
        auto* button = rig.window->findChild<QToolButton*>("readDeviceButton");
        QVERIFY(button != nullptr && button->defaultAction() == &read);
        QVERIFY(read.shortcuts().contains(QKeySequence(Qt::Key_F5)));
        QVERIFY2(!read.isEnabled(), "read offered with the port closed");
        read.trigger();
        QVERIFY(!rig.window->IsBusy());

        rig.window->ShowConnectionDialog();
        QVERIFY(rig.WaitUntilReady());
        QVERIFY(read.isEnabled());
        rig.TakeCommands();
        // The device changed behind the window's back: the read shows what it holds now.
        rig.modem.UpdateSettings([](sim::ModemSettings& settings) {
            settings.panId = 777;
            settings.userPanId = 777;
        });
        QTest::keyClick(rig.window.get(), Qt::Key_F5);
        QVERIFY(rig.window->IsBusy());
        QVERIFY2(!read.isEnabled(), "read offered while a read runs");
        QVERIFY(rig.WaitUntilReady());
        QCOMPARE(rig.TakeCommands(reads.size()), reads);
        QVERIFY(rig.ui.Messages().empty());
        QCOMPARE(Child<QLineEdit>(rig.window->GeneralPage(), "panIdEdit").text(), QStringLiteral("777"));
        QCOMPARE(ApplyTextOf(rig.window->GeneralPage()), Text(UiText::Apply));
    }

    // Changes not yet written are lost only after a question whose default is No.
    void asksBeforeDiscardingChanges() {
        WindowRig rig;
        QVERIFY(rig.Connect());
        rig.TakeCommands();
        GeneralInfoPage& page = rig.window->GeneralPage();
        auto& baud = Child<QComboBox>(page, "baudList");
        const QString deviceBaud = baud.currentText();
        QVERIFY(ChooseItem(baud, OtherItem(baud)));
        QAction& read = *rig.window->findChild<QAction*>("readDeviceAction");

        rig.ui.answers = {MessageAnswer::No};
        read.trigger();
        QCOMPARE(rig.ui.Messages().size(), std::size_t(1));
        const MessageRequest question = rig.ui.Messages().back();
        QCOMPARE(question.text, FormatText(UiText::ReadDiscardConfirm, 1u));
        QCOMPARE(question.buttons, MessageButtons::YesNo);
        QCOMPARE(question.defaultAnswer, MessageAnswer::No);
        QVERIFY(!rig.window->IsBusy());
        QVERIFY(baud.currentText() != deviceBaud);

        rig.ui.answers = {MessageAnswer::Yes};
        read.trigger();
        QVERIFY(rig.WaitUntilReady());
        QCOMPARE(rig.TakeCommands(kReadQ470R.size()), kReadQ470R);
        QCOMPARE(baud.currentText(), deviceBaud);
        QCOMPARE(rig.window->UnwrittenChangeCount(), 0);
    }

    // Each kind of control is marked when it differs from the device, with the device's value in the
    // tooltip and the number on Apply; changed back, the mark goes.
    void marksValuesNotYetWritten() {
        WindowRig rig;
        QVERIFY(rig.Connect());
        GeneralInfoPage& page = rig.window->GeneralPage();
        QCOMPARE(rig.window->UnwrittenChangeCount(), 0);
        auto& panLabel = LabelOf(page, "panIdEdit");
        const QString panPlain = panLabel.text();
        auto& panId = Child<QLineEdit>(page, "panIdEdit");
        const QString devicePanId = panId.text();
        TypeInto(panId, QStringLiteral("4321"));
        QVERIFY(HasChangeMark(panLabel));
        QCOMPARE(panLabel.text(), panPlain + QStringLiteral(" *"));
        QVERIFY(panLabel.font().bold());  // not colour alone
        QVERIFY(panId.toolTip().contains(devicePanId));
        QCOMPARE(ApplyTextOf(page), Text(UiText::ApplyOneChange));

        auto& baud = Child<QComboBox>(page, "baudList");
        const QString deviceBaud = baud.currentText();
        QVERIFY(ChooseItem(baud, OtherItem(baud)));
        auto& slave = Child<QRadioButton>(page, "roleSlave");
        const bool wasSlave = slave.isChecked();
        Click(Child<QRadioButton>(page, wasSlave ? "roleMaster" : "roleSlave"));
        auto& chosenRole = Child<QRadioButton>(page, wasSlave ? "roleMaster" : "roleSlave");
        QVERIFY(HasChangeMark(chosenRole));
        QVERIFY(chosenRole.toolTip().contains(
            UnmarkedText(Child<QRadioButton>(page, wasSlave ? "roleSlave" : "roleMaster"))));
        QVERIFY(LabelOf(page, "baudList").toolTip().contains(deviceBaud));
        QCOMPARE(ApplyTextOf(page), FormatText(UiText::ApplyChanges, 3u));

        GpioConfigPage& gpio = rig.window->GpioPage();
        auto& mode = Child<QComboBox>(gpio, "modeList3");
        QVERIFY(ChooseItem(mode, OtherItem(mode)));
        QVERIFY(HasChangeMark(*LabelFor(gpio, mode)));
        QVERIFY(ApplyTextOf(gpio) != Text(UiText::Apply));
        const int gpioChanges = gpio.ChangedCount();
        QCOMPARE(rig.window->UnwrittenChangeCount(), 3 + gpioChanges);

        // Back to the device's values: nothing is marked.
        TypeInto(panId, devicePanId);
        QVERIFY(ChooseItem(baud, deviceBaud));
        Click(Child<QRadioButton>(page, wasSlave ? "roleSlave" : "roleMaster"));
        QVERIFY(!HasChangeMark(panLabel));
        QCOMPARE(panLabel.text(), panPlain);
        QVERIFY(!panLabel.font().bold());
        QVERIFY(!chosenRole.font().bold());
        QCOMPARE(ApplyTextOf(page), Text(UiText::Apply));
        QCOMPARE(page.ChangedCount(), 0);
    }

    // What the device took is no longer a change; what it refused stays marked.
    void applyClearsTheMarksOfWhatTheDeviceTook() {
        WindowRig rig;
        QVERIFY(rig.Connect());
        GeneralInfoPage& page = rig.window->GeneralPage();
        auto& parity = Child<QComboBox>(page, "parityList");
        QVERIFY(ChooseItem(parity, OtherItem(parity)));
        QCOMPARE(page.ChangedCount(), 1);
        sim::CommandFault refuse;
        refuse.answerError = true;
        rig.modem.SetFault("AT+UART=", refuse);
        Click(Child<QPushButton>(page, "applyButton"));
        QVERIFY(rig.WaitForMessages(1));
        QVERIFY(rig.WaitUntilReady());
        QCOMPARE(page.ChangedCount(), 1);

        rig.modem.ClearFaults();
        Click(Child<QPushButton>(page, "applyButton"));
        QVERIFY(rig.WaitForMessages(2));
        QVERIFY(rig.WaitUntilReady());
        QCOMPARE(rig.ui.Messages().back().text, Text(UiText::ApplyGeneralDone));
        QCOMPARE(page.ChangedCount(), 0);
        QVERIFY(!HasChangeMark(LabelOf(page, "parityList")));
        QCOMPARE(ApplyTextOf(page), Text(UiText::Apply));
    }
};

}  // namespace q470

QTEST_MAIN(q470::WindowDeskTest)
#include "window_desk_test.moc"
