#include "general_info_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app_message.h"
#include "app_message_recorder.h"
#include "fake_ui_services.h"
#include "model_kind.h"
#include "ui_services.h"
#include "widget_driver.h"

namespace q470 {
namespace {

// A Q470R as the main window fills it after reading the device over a 9600 8N1 line.
GeneralSettings Q470RSettings() {
    GeneralSettings settings;
    settings.extendedAddress = 0x00124B001A2B3C4Dull;
    settings.opMode = 2;
    settings.netRole = 1;
    settings.linkState = 1;
    settings.normalMode = 1;
    settings.phyId = 12;
    settings.rfChannel = 101;
    settings.panId = 1000;
    settings.userPanId = 0;
    settings.channelMode = 1;
    settings.spare = 7;
    settings.baudRate = 9600;
    settings.dataBits = 8;
    settings.modelKind = ModelQ470R;
    settings.firmwareVersion = "1.5.0";
    return settings;
}

QStringList CheckedRadios(const QWidget& page) {
    QStringList names;
    for (auto* radio : page.findChildren<QRadioButton*>()) {
        if (radio->isChecked()) names << radio->objectName();
    }
    names.sort();
    return names;
}

QStringList EnabledControls(const QWidget& page) {
    QStringList names;
    for (auto* widget : page.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QComboBox*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
                             qobject_cast<QLineEdit*>(widget);
        if (control && widget->isEnabled() && !widget->objectName().isEmpty()) names << widget->objectName();
    }
    names.sort();
    return names;
}

QString Selected(const QWidget& page, const char* list) {
    return Child<QComboBox>(page, list).currentText();
}

void CompareRecords(const GeneralSettings& actual, const GeneralSettings& expected) {
    QCOMPARE(actual.extendedAddress, expected.extendedAddress);
    QCOMPARE(actual.opMode, expected.opMode);
    QCOMPARE(actual.netRole, expected.netRole);
    QCOMPARE(actual.linkState, expected.linkState);
    QCOMPARE(actual.normalMode, expected.normalMode);
    QCOMPARE(actual.phyId, expected.phyId);
    QCOMPARE(actual.rfChannel, expected.rfChannel);
    QCOMPARE(actual.panId, expected.panId);
    QCOMPARE(actual.userPanId, expected.userPanId);
    QCOMPARE(actual.channelMode, expected.channelMode);
    QCOMPARE(actual.spare, expected.spare);
    QCOMPARE(actual.baudRate, expected.baudRate);
    QCOMPARE(actual.parity, expected.parity);
    QCOMPARE(actual.stopBits, expected.stopBits);
    QCOMPARE(actual.dataBits, expected.dataBits);
    QCOMPARE(actual.quietMode, expected.quietMode);
    QCOMPARE(actual.modelKind, expected.modelKind);
    QCOMPARE(actual.rxPullUp, expected.rxPullUp);
    QCOMPARE(actual.firmwareVersion, expected.firmwareVersion);
}

const QStringList kAllControls{"applyButton", "atCommandMode", "baudList",        "bypassMode",
                               "channelList", "dataBitsList",  "layoutOneToMany", "layoutOneToOne",
                               "panIdEdit",   "parityList",    "responseOff",     "responseOn",
                               "roleMaster",  "roleSlave",     "rxPullUpList",    "stopBitsList"};

QStringList Without(QStringList names, const QStringList& removed) {
    for (const auto& name : removed) names.removeAll(name);
    names.sort();
    return names;
}

}  // namespace

class GeneralInfoPageTest : public QObject {
    Q_OBJECT

private slots:
    void freshPage() {
        GeneralInfoPage page;
        QCOMPARE(Child<QLineEdit>(page, "panIdEdit").text(), QStringLiteral("1234"));
        QCOMPARE(CheckedRadios(page), QStringList({"atCommandMode", "layoutOneToOne", "responseOn", "roleMaster"}));
        QCOMPARE(Selected(page, "baudList"), QStringLiteral("9600"));
        QCOMPARE(Selected(page, "parityList"), QStringLiteral("None"));
        QCOMPARE(Selected(page, "stopBitsList"), QStringLiteral("1"));
        QCOMPARE(Selected(page, "dataBitsList"), QStringLiteral("8 bits"));
        QCOMPARE(Selected(page, "rxPullUpList"), QStringLiteral("OFF"));
        QCOMPARE(ItemTexts(Child<QComboBox>(page, "channelList")),
                 QStringList({"A(99)", "B(100)", "C(101)", "D(102)", "E(103)", "F(104)", "G(105)"}));
        QCOMPARE(Selected(page, "channelList"), QStringLiteral("A(99)"));
        QCOMPARE(EnabledControls(page), QStringList());
        QCOMPARE(Child<QPushButton>(page, "applyButton").text(), QStringLiteral("적 용"));
        const QString tip = QStringLiteral(
            "Q470R의 RXD에 내부 pull up을 활성/비활성화 합니다. 이 기능은 펌웨어 버전 "
            "1.5.0 이후부터 지원됩니다.");
        QCOMPARE(Child<QLabel>(page, "rxPullUpLabel").toolTip(), tip);
        QCOMPARE(Child<QComboBox>(page, "rxPullUpList").toolTip(), tip);
        QCOMPARE(page.GetGeneralSettings().phyId, 12);
        QCOMPARE(page.GetGeneralSettings().panId, 0);
    }

    void channelPlans_data() {
        QTest::addColumn<int>("phyId");
        QTest::addColumn<int>("rfChannel");
        QTest::addColumn<QStringList>("channels");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<bool>("outdoor");
        QTest::addColumn<int>("model");
        const QStringList plan8{"46", "47", "48", "49", "50", "51"};
        QStringList plan2;
        for (int channel = 93; channel <= 105; ++channel) plan2 << QString::number(channel);
        const QStringList plan12{"A(99)", "B(100)", "C(101)", "D(102)", "E(103)", "F(104)", "G(105)"};
        QTest::newRow("8, channel listed") << 8 << 50 << plan8 << "50" << true << int(ModelQ470R);
        QTest::newRow("8, channel not listed") << 8 << 99 << plan8 << "46" << true << int(ModelQ470R);
        QTest::newRow("2") << 2 << 93 << plan2 << "93" << true << int(ModelQ470R);
        QTest::newRow("5, channel not listed") << 5 << 200 << plan2 << "99" << true << int(ModelQ470R);
        QTest::newRow("12") << 12 << 103 << plan12 << "E(103)" << false << int(ModelQ470R);
        QTest::newRow("13, channel not listed") << 13 << 46 << plan12 << "A(99)" << false << int(ModelQ470R);
        QTest::newRow("1: no plan") << 1 << 99 << QStringList() << QString() << false << int(ModelQ470R);
        QTest::newRow("0: no plan") << 0 << 0 << QStringList() << QString() << false << int(ModelQ470R);
        // A KELDAN's list cannot be changed: it shows the device's channel or nothing, never the default.
        QTest::newRow("KELDAN, 12") << 12 << 103 << plan12 << "E(103)" << false << int(ModelKs410);
        QTest::newRow("KELDAN, 12, channel not listed") << 12 << 46 << plan12 << QString() << false << int(ModelKs410);
        QTest::newRow("KELDAN, 8, channel not listed") << 8 << 99 << plan8 << QString() << true << int(ModelKs400);
    }

    void channelPlans() {
        QFETCH(int, phyId);
        QFETCH(int, rfChannel);
        QFETCH(QStringList, channels);
        QFETCH(QString, selected);
        QFETCH(bool, outdoor);
        QFETCH(int, model);
        GeneralInfoPage page;
        GeneralSettings settings = Q470RSettings();
        settings.modelKind = static_cast<std::uint32_t>(model);
        settings.phyId = static_cast<std::uint8_t>(phyId);
        settings.rfChannel = static_cast<std::uint8_t>(rfChannel);
        page.SetGeneralSettings(settings);
        QCOMPARE(ItemTexts(Child<QComboBox>(page, "channelList")), channels);
        QCOMPARE(Selected(page, "channelList"), selected);
        QCOMPARE(Child<QCheckBox>(page, "outdoorFixed").isChecked(), outdoor);
        QVERIFY(Child<QCheckBox>(page, "outdoorFixed").isHidden());
    }

    void fillShowsChoices_data() {
        QTest::addColumn<int>("opMode");
        QTest::addColumn<int>("netRole");
        QTest::addColumn<int>("quietMode");
        QTest::addColumn<QStringList>("checked");
        QTest::newRow("bypass 1:1, master, ON")
            << 1 << 1 << 0 << QStringList{"bypassMode", "layoutOneToOne", "responseOn", "roleMaster"};
        QTest::newRow("AT 1:1, slave, OFF")
            << 2 << 2 << 1 << QStringList{"atCommandMode", "layoutOneToOne", "responseOff", "roleSlave"};
        QTest::newRow("bypass 1:N") << 3 << 1 << 0
                                    << QStringList{"bypassMode", "layoutOneToMany", "responseOn", "roleMaster"};
        QTest::newRow("AT 1:N") << 4 << 1 << 0
                                << QStringList{"atCommandMode", "layoutOneToMany", "responseOn", "roleMaster"};
        QTest::newRow("mode 0, role 0, quiet 5")
            << 0 << 0 << 5 << QStringList{"atCommandMode", "layoutOneToMany", "responseOff", "roleSlave"};
    }

    void fillShowsChoices() {
        QFETCH(int, opMode);
        QFETCH(int, netRole);
        QFETCH(int, quietMode);
        QFETCH(QStringList, checked);
        GeneralInfoPage page;
        GeneralSettings settings = Q470RSettings();
        settings.opMode = static_cast<std::uint8_t>(opMode);
        settings.netRole = static_cast<std::uint8_t>(netRole);
        settings.quietMode = static_cast<std::uint8_t>(quietMode);
        page.SetGeneralSettings(settings);
        QCOMPARE(CheckedRadios(page), checked);
    }

    void fillSelectsListsAndKeepsUnmatched() {
        GeneralInfoPage page;
        GeneralSettings settings = Q470RSettings();
        settings.baudRate = 19200;
        settings.parity = 2;  // the device's code for odd
        settings.stopBits = 1;
        settings.dataBits = 7;
        settings.rxPullUp = 1;
        page.SetGeneralSettings(settings);
        QCOMPARE(Selected(page, "baudList"), QStringLiteral("19200"));
        QCOMPARE(Selected(page, "parityList"), QStringLiteral("Odd"));
        QCOMPARE(Selected(page, "stopBitsList"), QStringLiteral("2"));
        QCOMPARE(Selected(page, "dataBitsList"), QStringLiteral("7 bits"));
        QCOMPARE(Selected(page, "rxPullUpList"), QStringLiteral("ON"));
        // The given RX pull-up only picks the item; the record's field changes on apply.
        QCOMPARE(page.GetGeneralSettings().rxPullUp, 0);
        QCOMPARE(page.GetGeneralSettings().rfChannel, 101);
        QCOMPARE(page.GetGeneralSettings().firmwareVersion, std::string("1.5.0"));

        settings.baudRate = 1200;
        settings.parity = 9;
        settings.stopBits = 2;
        settings.dataBits = 5;
        settings.rxPullUp = 4;
        page.SetGeneralSettings(settings);
        QCOMPARE(Selected(page, "baudList"), QStringLiteral("19200"));
        QCOMPARE(Selected(page, "parityList"), QStringLiteral("Odd"));
        QCOMPARE(Selected(page, "stopBitsList"), QStringLiteral("2"));
        QCOMPARE(Selected(page, "dataBitsList"), QStringLiteral("7 bits"));
        QCOMPARE(Selected(page, "rxPullUpList"), QStringLiteral("ON"));
    }

    void panIdShownByModel_data() {
        QTest::addColumn<int>("modelKind");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Q470R: PAN ID") << int(ModelQ470R) << "1000";
        QTest::newRow("KELDAN-KS410: user PAN ID") << int(ModelKs410) << "4660";
        QTest::newRow("KELDAN-KS400: user PAN ID") << int(ModelKs400) << "4660";
    }

    void panIdShownByModel() {
        QFETCH(int, modelKind);
        QFETCH(QString, shown);
        GeneralInfoPage page;
        GeneralSettings settings = Q470RSettings();
        settings.userPanId = 4660;
        settings.modelKind = static_cast<std::uint32_t>(modelKind);
        page.SetGeneralSettings(settings);
        QCOMPARE(Child<QLineEdit>(page, "panIdEdit").text(), shown);
    }

    void enableRules_data() {
        QTest::addColumn<int>("modelKind");
        QTest::addColumn<QString>("firmware");
        QTest::addColumn<bool>("enable");
        QTest::addColumn<QStringList>("enabled");
        const QStringList q470rOnly{"channelList", "roleMaster", "roleSlave", "rxPullUpList"};
        QTest::newRow("Q470R 1.5.0") << int(ModelQ470R) << "1.5.0" << true << kAllControls;
        QTest::newRow("Q470R 1.12.3") << int(ModelQ470R) << "1.12.3" << true << kAllControls;
        QTest::newRow("Q470R 1.4.9") << int(ModelQ470R) << "1.4.9" << true << Without(kAllControls, {"rxPullUpList"});
        QTest::newRow("Q470R 1.5 (one separator)")
            << int(ModelQ470R) << "1.5" << true << Without(kAllControls, {"rxPullUpList"});
        QTest::newRow("Q470R 2.0.0") << int(ModelQ470R) << "2.0.0" << true << kAllControls;
        QTest::newRow("Q470R 10.0.0") << int(ModelQ470R) << "10.0.0" << true << kAllControls;
        QTest::newRow("KELDAN-KS410") << int(ModelKs410) << "" << true << Without(kAllControls, q470rOnly);
        QTest::newRow("KELDAN-KS400 with a version")
            << int(ModelKs400) << "1.5.0" << true << Without(kAllControls, q470rOnly);
        QTest::newRow("disabled") << int(ModelQ470R) << "1.5.0" << false << QStringList();
    }

    void enableRules() {
        QFETCH(int, modelKind);
        QFETCH(QString, firmware);
        QFETCH(bool, enable);
        QFETCH(QStringList, enabled);
        GeneralInfoPage page;
        GeneralSettings settings = Q470RSettings();
        settings.modelKind = static_cast<std::uint32_t>(modelKind);
        settings.firmwareVersion = firmware.toStdString();
        page.SetGeneralSettings(settings);
        page.EnableControls(!enable);
        page.EnableControls(enable);
        QCOMPARE(EnabledControls(page), enabled);
    }

    void applyStoresChoices_data() {
        QTest::addColumn<QStringList>("clicks");   // radios, in order
        QTest::addColumn<QStringList>("choices");  // "list=item"
        QTest::addColumn<int>("opMode");
        QTest::addColumn<int>("netRole");
        QTest::addColumn<int>("quietMode");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<int>("rxPullUp");
        QTest::newRow("as filled") << QStringList() << QStringList() << 2 << 1 << 0 << 0 << 0 << 0;
        QTest::newRow("bypass 1:N") << QStringList{"bypassMode", "layoutOneToMany"} << QStringList() << 3 << 1 << 0 << 0
                                    << 0 << 0;
        QTest::newRow("AT 1:N, slave, OFF") << QStringList{"layoutOneToMany", "roleSlave", "responseOff"}
                                            << QStringList() << 4 << 2 << 1 << 0 << 0 << 0;
        QTest::newRow("bypass 1:1") << QStringList{"bypassMode"} << QStringList() << 1 << 1 << 0 << 0 << 0 << 0;
        QTest::newRow("odd parity, two stop bits, RX pull-up")
            << QStringList() << QStringList{"parityList=Odd", "stopBitsList=2", "rxPullUpList=ON"} << 2 << 1 << 0 << 2
            << 1 << 1;
        QTest::newRow("even parity") << QStringList() << QStringList{"parityList=Even"} << 2 << 1 << 0 << 1 << 0 << 0;
    }

    void applyStoresChoices() {
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, choices);
        QFETCH(int, opMode);
        QFETCH(int, netRole);
        QFETCH(int, quietMode);
        QFETCH(int, parity);
        QFETCH(int, stopBits);
        QFETCH(int, rxPullUp);
        FakeUiServices ui;
        AppMessageRecorder mainWindow;
        GeneralInfoPage page;
        page.SetGeneralSettings(Q470RSettings());
        page.EnableControls(true);
        page.show();
        for (const QString& radio : clicks) Click(Child<QRadioButton>(page, radio));
        for (const QString& choice : choices) {
            QVERIFY(ChooseItem(Child<QComboBox>(page, choice.section('=', 0, 0)), choice.section('=', 1)));
        }
        QVERIFY(ChooseItem(Child<QComboBox>(page, "channelList"), "G(105)"));
        QVERIFY(ChooseItem(Child<QComboBox>(page, "baudList"), "57600"));
        QVERIFY(ChooseItem(Child<QComboBox>(page, "dataBitsList"), "7 bits"));
        TypeInto(Child<QLineEdit>(page, "panIdEdit"), "4321");
        Click(Child<QPushButton>(page, "applyButton"));

        GeneralSettings expected = Q470RSettings();
        expected.opMode = static_cast<std::uint8_t>(opMode);
        expected.netRole = static_cast<std::uint8_t>(netRole);
        expected.quietMode = static_cast<std::uint8_t>(quietMode);
        expected.parity = static_cast<std::uint8_t>(parity);
        expected.stopBits = static_cast<std::uint8_t>(stopBits);
        expected.rxPullUp = static_cast<std::uint8_t>(rxPullUp);
        expected.rfChannel = 105;
        expected.baudRate = 57600;
        expected.dataBits = 7;
        expected.panId = 4321;
        CompareRecords(page.GetGeneralSettings(), expected);
        QVERIFY(ui.calls.empty());
        const auto delivered = mainWindow.Delivered();
        QCOMPARE(delivered.size(), std::size_t(1));
        QCOMPARE(delivered[0].message, WM_APP_APPLY_GENERAL);
        QCOMPARE(delivered[0].wParam, quintptr(0));
        QCOMPARE(delivered[0].lParam, qintptr(0));
        QCOMPARE(EnabledControls(page), QStringList());
    }

    void applyWritesPhyIdAndPanIdField_data() {
        QTest::addColumn<int>("modelKind");
        QTest::addColumn<int>("phyId");
        QTest::addColumn<int>("rfChannel");
        QTest::addColumn<int>("storedPhyId");
        QTest::addColumn<int>("storedChannel");
        QTest::addColumn<int>("panId");
        QTest::addColumn<int>("userPanId");
        // The outdoor/indoor PHY ID where it keeps the plan (5 → 2, 13 → 12); the device's own where the
        // plan would change (8 and its channels 46-51; a PHY ID without a plan keeps its channel).
        QTest::newRow("Q470R, PHY 5") << int(ModelQ470R) << 5 << 100 << 2 << 100 << 777 << 4660;
        QTest::newRow("Q470R, PHY 8") << int(ModelQ470R) << 8 << 48 << 8 << 48 << 777 << 4660;
        QTest::newRow("Q470R, PHY 8, channel outside") << int(ModelQ470R) << 8 << 99 << 8 << 46 << 777 << 4660;
        QTest::newRow("Q470R, PHY 2") << int(ModelQ470R) << 2 << 93 << 2 << 93 << 777 << 4660;
        QTest::newRow("Q470R, PHY 12") << int(ModelQ470R) << 12 << 105 << 12 << 105 << 777 << 4660;
        QTest::newRow("Q470R, PHY 13") << int(ModelQ470R) << 13 << 104 << 12 << 104 << 777 << 4660;
        QTest::newRow("Q470R, PHY 1 (no plan)") << int(ModelQ470R) << 1 << 7 << 1 << 7 << 777 << 4660;
        QTest::newRow("KELDAN-KS410") << int(ModelKs410) << 12 << 99 << 12 << 99 << 1000 << 777;
        QTest::newRow("KELDAN-KS400") << int(ModelKs400) << 2 << 95 << 2 << 95 << 1000 << 777;
    }

    void applyWritesPhyIdAndPanIdField() {
        QFETCH(int, modelKind);
        QFETCH(int, phyId);
        QFETCH(int, rfChannel);
        QFETCH(int, storedPhyId);
        QFETCH(int, storedChannel);
        QFETCH(int, panId);
        QFETCH(int, userPanId);
        FakeUiServices ui;
        AppMessageRecorder mainWindow;
        GeneralInfoPage page;
        GeneralSettings settings = Q470RSettings();
        settings.modelKind = static_cast<std::uint32_t>(modelKind);
        settings.phyId = static_cast<std::uint8_t>(phyId);
        settings.rfChannel = static_cast<std::uint8_t>(rfChannel);
        settings.userPanId = 4660;
        page.SetGeneralSettings(settings);
        page.EnableControls(true);
        page.show();
        TypeInto(Child<QLineEdit>(page, "panIdEdit"), "777");
        Click(Child<QPushButton>(page, "applyButton"));
        QCOMPARE(page.GetGeneralSettings().phyId, storedPhyId);
        QCOMPARE(page.GetGeneralSettings().rfChannel, storedChannel);
        QCOMPARE(page.GetGeneralSettings().panId, panId);
        QCOMPARE(page.GetGeneralSettings().userPanId, userPanId);
        QCOMPARE(mainWindow.Delivered().size(), std::size_t(1));
    }

    void applyValidatesPanId_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("1") << "1" << true;
        QTest::newRow("65533") << "65533" << true;
        QTest::newRow("0") << "0" << false;
        QTest::newRow("65534") << "65534" << false;
        QTest::newRow("65535") << "65535" << false;
        QTest::newRow("beyond 16 bits") << "65536" << false;
        QTest::newRow("beyond 32 bits") << "4294967297" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("letters are not taken") << "abc" << false;
    }

    void applyValidatesPanId() {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        FakeUiServices ui;
        AppMessageRecorder mainWindow;
        GeneralInfoPage page;
        page.SetGeneralSettings(Q470RSettings());
        page.EnableControls(true);
        page.show();
        Click(Child<QRadioButton>(page, "bypassMode"));
        TypeInto(Child<QLineEdit>(page, "panIdEdit"), typed);
        Click(Child<QPushButton>(page, "applyButton"));

        if (accepted) {
            QVERIFY(ui.calls.empty());
            QCOMPARE(page.GetGeneralSettings().panId, typed.toUInt());
            QCOMPARE(mainWindow.Delivered().size(), std::size_t(1));
            return;
        }
        // The message keeps its own text and says what is allowed, in either language.
        qputenv("Q470_LANG", "en");
        Click(Child<QPushButton>(page, "applyButton"));
        qputenv("Q470_LANG", "ko");
        const auto messages = ui.Messages();
        QCOMPARE(messages.size(), std::size_t(2));
        QCOMPARE(messages[0].text, QStringLiteral("그룹 ID 설정값이 잘못되어 있습니다.\n\n허용 범위: 1~65533"));
        QCOMPARE(messages[1].text, QStringLiteral("Invalid PAN ID value\n\nAllowed: 1 to 65533."));
        QCOMPARE(messages[0].caption, MessageCaption());
        QCOMPARE(messages[0].icon, MessageIcon::Warning);
        QCOMPARE(messages[0].buttons, MessageButtons::Ok);
        CompareRecords(page.GetGeneralSettings(), Q470RSettings());
        QCOMPARE(mainWindow.Delivered().size(), std::size_t(0));
        QCOMPARE(EnabledControls(page), kAllControls);
    }

    // A PHY ID the device reported but may not be given is not written back: the shared rules refuse
    // the record, the message names it, and nothing is stored or asked for.
    void applyRefusesWhatTheRulesDoNotAllow() {
        FakeUiServices ui;
        AppMessageRecorder mainWindow;
        GeneralInfoPage page;
        GeneralSettings settings = Q470RSettings();
        settings.phyId = 14;
        settings.rfChannel = 7;
        page.SetGeneralSettings(settings);
        page.EnableControls(true);
        page.show();
        Click(Child<QPushButton>(page, "applyButton"));
        const auto messages = ui.Messages();
        QCOMPARE(messages.size(), std::size_t(1));
        QCOMPARE(messages[0].text, QStringLiteral("장치에 쓸 수 없는 설정값이 있어 적용하지 않았습니다.\n\n"
                                                  "PHY ID: 14은(는) 쓸 수 없는 값입니다(허용: 1~13)."));
        QCOMPARE(messages[0].icon, MessageIcon::Warning);
        GeneralSettings kept = settings;
        kept.rxPullUp = 0;  // the fill leaves the record's own RX pull-up alone
        CompareRecords(page.GetGeneralSettings(), kept);
        QCOMPARE(mainWindow.Delivered().size(), std::size_t(0));
        QCOMPARE(EnabledControls(page), kAllControls);
    }

    void applyWithoutMainWindowDoesNothing() {
        FakeUiServices ui;
        GeneralInfoPage page;
        page.SetGeneralSettings(Q470RSettings());
        page.EnableControls(true);
        page.show();
        Click(Child<QRadioButton>(page, "roleSlave"));
        TypeInto(Child<QLineEdit>(page, "panIdEdit"), "0");
        Click(Child<QPushButton>(page, "applyButton"));
        QVERIFY(ui.calls.empty());
        CompareRecords(page.GetGeneralSettings(), Q470RSettings());
        QCOMPARE(EnabledControls(page), kAllControls);
    }

    void enterNeitherAppliesNorCloses() {
        FakeUiServices ui;
        AppMessageRecorder mainWindow;
        GeneralInfoPage page;
        page.SetGeneralSettings(Q470RSettings());
        page.EnableControls(true);
        page.show();
        TypeInto(Child<QLineEdit>(page, "panIdEdit"), "0");
        for (const char* focus : {"panIdEdit", "applyButton", "baudList", "roleMaster"}) {
            for (auto key : {Qt::Key_Return, Qt::Key_Enter}) QTest::keyClick(&Child<QWidget>(page, focus), key);
        }
        QVERIFY(ui.calls.empty());
        QCOMPARE(mainWindow.Delivered().size(), std::size_t(0));
        QVERIFY(page.isVisible());
        CompareRecords(page.GetGeneralSettings(), Q470RSettings());
    }
};

}  // namespace q470

QTEST_MAIN(q470::GeneralInfoPageTest)
#include "general_info_page_test.moc"
