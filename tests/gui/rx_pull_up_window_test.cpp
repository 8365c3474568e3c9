// A Q470R on firmware that only version order gives RX pull-up (2.0.0) and that does not know AT+URPU?:
// the window connects, shows RX pull-up unavailable with its tooltip, and Apply leaves it out. The read
// waits out the query's time-out, as it does on such a device.

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include "general_info_page.h"
#include "string_table.h"
#include "widget_driver.h"
#include "window_rig.h"

namespace q470 {

class RxPullUpWindowTest : public QObject {
    Q_OBJECT

private slots:
    void deviceWithoutRxPullUpConnectsAndShowsItUnavailable() {
        sim::ModemSettings settings = ModemOf(sim::ModemModel::Q470R, "2.0.0");
        settings.rxPullUp = true;
        WindowRig rig(settings);
        rig.modem.SetFault("AT+URPU?", sim::CommandFault::Refused());
        QVERIFY(rig.Connect());
        QVERIFY(rig.ui.Messages().empty());
        QCOMPARE(rig.TextOf("firmwareVersionEdit"), QStringLiteral("2.0.0"));

        QWidget& page = rig.window->GeneralPage();
        auto& list = Child<QComboBox>(page, "rxPullUpList");
        QVERIFY(!list.isEnabled());
        QCOMPARE(list.toolTip(), Text(UiText::RxPullUpTip));
        QVERIFY(Child<QComboBox>(page, "baudList").isEnabled());

        rig.TakeCommands();
        Click(Child<QPushButton>(page, "applyButton"));
        QVERIFY(rig.WaitForMessages(1));
        QCOMPARE(rig.ui.Messages().back().text, Text(UiText::ApplyGeneralDone));
        for (const std::string& command : rig.TakeCommands())
            QVERIFY2(command.rfind("AT+URPU", 0) != 0, command.c_str());
    }
};

}  // namespace q470

QTEST_MAIN(q470::RxPullUpWindowTest)
#include "rx_pull_up_window_test.moc"
