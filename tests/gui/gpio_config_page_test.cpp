#include "gpio_config_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app_message.h"
#include "app_message_recorder.h"
#include "fake_ui_services.h"
#include "widget_driver.h"

namespace q470 {
namespace {

const QStringList kInputValues{"No Pull", "Pull Up", "Pull Down"};
const QStringList kOutputValues{"Low", "High"};
const QStringList kStatusLedValues{"Push Pull", "Inv Push Pull"};
const QStringList kAlternateValues{"None"};

QComboBox& ModeList(const QWidget& page, int pin) {
    return Child<QComboBox>(page, QStringLiteral("modeList%1").arg(pin));
}

QComboBox& ValueList(const QWidget& page, int pin) {
    return Child<QComboBox>(page, QStringLiteral("valueList%1").arg(pin));
}

// Every pin in a mode its lists offer, with entries that name the wrong pins, as a record may hold.
GpioSettings SampleSettings() {
    GpioSettings settings;
    for (std::size_t pin = 0; pin < kGpioPinCount; ++pin) {
        settings.pins[pin] = {static_cast<std::uint8_t>(12 - pin), static_cast<std::uint8_t>(pin % 2),
                              static_cast<std::uint8_t>(pin % 2)};
    }
    settings.reportInterval = 5000;
    settings.sendToPeer = 0;
    return settings;
}

QList<QWidget*> Controls(const QWidget& page) {
    QList<QWidget*> controls;
    for (auto* widget : page.findChildren<QWidget*>()) {
        if (qobject_cast<QComboBox*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
            qobject_cast<QLineEdit*>(widget)) {
            controls << widget;
        }
    }
    return controls;
}

bool AllControlsEnabled(const QWidget& page, bool enabled) {
    const auto controls = Controls(page);
    return controls.size() == 2 * int(kGpioPinCount) + 3 &&
           std::all_of(controls.begin(), controls.end(), [enabled](QWidget* w) { return w->isEnabled() == enabled; });
}

void CompareRecords(const GpioSettings& actual, const GpioSettings& expected) {
    for (std::size_t pin = 0; pin < kGpioPinCount; ++pin) {
        QCOMPARE(actual.pins[pin].pin, expected.pins[pin].pin);
        QCOMPARE(actual.pins[pin].ioMode, expected.pins[pin].ioMode);
        QCOMPARE(actual.pins[pin].pinConfig, expected.pins[pin].pinConfig);
    }
    QCOMPARE(actual.reportInterval, expected.reportInterval);
    QCOMPARE(actual.sendToPeer, expected.sendToPeer);
}

}  // namespace

class GpioConfigPageTest : public QObject {
    Q_OBJECT

private slots:
    void freshPage() {
        GpioConfigPage page;
        for (int pin = 0; pin < int(kGpioPinCount); ++pin) {
            QCOMPARE(ModeList(page, pin).currentText(), QStringLiteral("Input"));
            QCOMPARE(ItemTexts(ValueList(page, pin)), kInputValues);
            QCOMPARE(ValueList(page, pin).currentText(), QStringLiteral("No Pull"));
        }
        QCOMPARE(Child<QLineEdit>(page, "intervalEdit").text(), QStringLiteral("0"));
        QVERIFY(!Child<QCheckBox>(page, "sendToPeerBox").isChecked());
        QCOMPARE(Child<QPushButton>(page, "applyButton").text(), QStringLiteral("적 용"));
        QVERIFY(AllControlsEnabled(page, false));
    }

    void modeLists_data() {
        QTest::addColumn<int>("pin");
        QTest::addColumn<QString>("alternate");  // empty: none
        const char* alternates[] = {"", "",         "Status LED", "AIO 0", "AIO 1", "AIO 2", "AIO 3",
                                    "", "UART CTS", "UART RTS",   "",      "",      ""};
        for (int pin = 0; pin < int(kGpioPinCount); ++pin) {
            QTest::addRow("pin %d", pin) << pin << QString::fromLatin1(alternates[pin]);
        }
    }

    void modeLists() {
        QFETCH(int, pin);
        QFETCH(QString, alternate);
        GpioConfigPage page;
        QStringList expected{"Input", "Output"};
        if (!alternate.isEmpty()) expected << alternate;
        QCOMPARE(ItemTexts(ModeList(page, pin)), expected);
    }

    void modeChoiceRefillsValues_data() {
        QTest::addColumn<int>("pin");
        QTest::addColumn<QStringList>("modes");  // chosen in this order
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("selected");
        QTest::newRow("pin 5 output") << 5 << QStringList{"Output"} << kOutputValues << "Low";
        QTest::newRow("pin 5 alternate") << 5 << QStringList{"AIO 2"} << kAlternateValues << "None";
        QTest::newRow("pin 2 status LED") << 2 << QStringList{"Status LED"} << kStatusLedValues << "Push Pull";
        QTest::newRow("pin 9 back to input") << 9 << QStringList{"UART RTS", "Input"} << kInputValues << "No Pull";
        QTest::newRow("pin 12 output") << 12 << QStringList{"Output"} << kOutputValues << "Low";
    }

    void modeChoiceRefillsValues() {
        QFETCH(int, pin);
        QFETCH(QStringList, modes);
        QFETCH(QStringList, values);
        QFETCH(QString, selected);
        GpioConfigPage page;
        page.EnableControls(true);
        page.show();
        QVERIFY(ChooseItem(ValueList(page, pin), "Pull Down"));
        for (const QString& mode : modes) QVERIFY(ChooseItem(ModeList(page, pin), mode));
        QCOMPARE(ItemTexts(ValueList(page, pin)), values);
        QCOMPARE(ValueList(page, pin).currentText(), selected);
    }

    void fillShowsPins_data() {
        QTest::addColumn<int>("pin");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("modeShown");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("valueShown");  // empty: no selection
        QTest::newRow("status LED inverted") << 2 << 2 << 1 << "Status LED" << kStatusLedValues << "Inv Push Pull";
        QTest::newRow("UART CTS") << 8 << 2 << 0 << "UART CTS" << kAlternateValues << "None";
        QTest::newRow("input pull-down") << 11 << 0 << 2 << "Input" << kInputValues << "Pull Down";
        QTest::newRow("output high") << 7 << 1 << 1 << "Output" << kOutputValues << "High";
        // Mode 2 on a pin without an alternate function: the mode list keeps its item.
        QTest::newRow("pin 0 mode 2") << 0 << 2 << 0 << "Input" << kAlternateValues << "None";
        QTest::newRow("output value 2") << 4 << 1 << 2 << "Output" << kOutputValues << QString();
        // An unknown mode leaves both lists as they were.
        QTest::newRow("mode 7") << 6 << 7 << 1 << "Input" << kInputValues << "No Pull";
    }

    void fillShowsPins() {
        QFETCH(int, pin);
        QFETCH(int, mode);
        QFETCH(int, value);
        QFETCH(QString, modeShown);
        QFETCH(QStringList, values);
        QFETCH(QString, valueShown);
        GpioConfigPage page;
        GpioSettings settings;
        settings.pins[pin] = {static_cast<std::uint8_t>(pin), static_cast<std::uint8_t>(mode),
                              static_cast<std::uint8_t>(value)};
        page.SetGpioSettings(settings);
        QCOMPARE(ModeList(page, pin).currentText(), modeShown);
        QCOMPARE(ItemTexts(ValueList(page, pin)), values);
        QCOMPARE(ValueList(page, pin).currentText(), valueShown);
        QCOMPARE(ValueList(page, pin).currentIndex() < 0, valueShown.isEmpty());
    }

    void fillShowsPeriodicReport_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("sendToPeer");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("off, flag kept") << 0 << 1 << "0" << true;
        QTest::newRow("1.5 s") << 1500 << 0 << "1500" << false;
        QTest::newRow("negative shows unsigned") << -1 << 2 << "4294967295" << true;
    }

    void fillShowsPeriodicReport() {
        QFETCH(int, interval);
        QFETCH(int, sendToPeer);
        QFETCH(QString, shown);
        QFETCH(bool, ticked);
        GpioConfigPage page;
        GpioSettings settings;
        settings.reportInterval = interval;
        settings.sendToPeer = static_cast<std::uint8_t>(sendToPeer);
        page.SetGpioSettings(settings);
        QCOMPARE(Child<QLineEdit>(page, "intervalEdit").text(), shown);
        QCOMPARE(Child<QCheckBox>(page, "sendToPeerBox").isChecked(), ticked);
        QCOMPARE(page.GetGpioSettings().sendToPeer, sendToPeer);
    }

    void applyChecksInterval_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("stored");
        QTest::newRow("0") << "0" << true << 0;
        QTest::newRow("empty reads 0") << "" << true << 0;
        QTest::newRow("1000") << "1000" << true << 1000;
        QTest::newRow("largest 32-bit") << "2147483647" << true << 2147483647;
        QTest::newRow("leading zeros") << "0001000" << true << 1000;
        QTest::newRow("1") << "1" << false << 0;
        QTest::newRow("999") << "999" << false << 0;
        QTest::newRow("beyond 32 bits") << "2147483648" << false << 0;
        QTest::newRow("far beyond") << "99999999999999999999" << false << 0;
    }

    void applyChecksInterval() {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(int, stored);
        FakeUiServices ui;
        AppMessageRecorder mainWindow;
        GpioConfigPage page;
        page.SetGpioSettings(SampleSettings());
        page.EnableControls(true);
        page.show();
        TypeInto(Child<QLineEdit>(page, "intervalEdit"), typed);
        Click(Child<QPushButton>(page, "applyButton"));

        if (accepted) {
            QVERIFY(ui.calls.empty());
            QCOMPARE(page.GetGpioSettings().reportInterval, stored);
            const auto delivered = mainWindow.Delivered();
            QCOMPARE(delivered.size(), std::size_t(1));
            QCOMPARE(delivered[0].message, WM_APP_APPLY_GPIO);
            QCOMPARE(delivered[0].wParam, quintptr(0));
            QCOMPARE(delivered[0].lParam, qintptr(0));
            QVERIFY(AllControlsEnabled(page, false));
            return;
        }
        // The message keeps its own text and says what is allowed, in either language.
        qputenv("Q470_LANG", "en");
        Click(Child<QPushButton>(page, "applyButton"));
        qputenv("Q470_LANG", "ko");
        const auto messages = ui.Messages();
        QCOMPARE(messages.size(), std::size_t(2));
        QCOMPARE(messages[0].text, QStringLiteral("GPIO 알림 간격 설정이 잘못  설정되어 있습니다.\n\n"
                                                  "허용 범위: 0 또는 1,000~2,147,483,647 ms"));
        QCOMPARE(messages[1].text, QStringLiteral("Invalid GPIO  report interval is set\n\n"
                                                  "Allowed: 0, or 1,000 to 2,147,483,647 ms."));
        QCOMPARE(messages[0].caption, MessageCaption());
        QCOMPARE(messages[0].icon, MessageIcon::Error);
        CompareRecords(page.GetGpioSettings(), SampleSettings());
        QCOMPARE(mainWindow.Delivered().size(), std::size_t(0));
        QVERIFY(AllControlsEnabled(page, true));
    }

    void applyStoresEntries() {
        FakeUiServices ui;
        AppMessageRecorder mainWindow;
        GpioConfigPage page;
        GpioSettings settings = SampleSettings();
        page.SetGpioSettings(settings);
        page.EnableControls(true);
        page.show();
        QVERIFY(ChooseItem(ModeList(page, 2), "Status LED"));
        QVERIFY(ChooseItem(ValueList(page, 2), "Inv Push Pull"));
        QVERIFY(ChooseItem(ModeList(page, 9), "UART RTS"));
        QVERIFY(ChooseItem(ValueList(page, 12), "Pull Up"));
        Click(Child<QCheckBox>(page, "sendToPeerBox"));
        Click(Child<QPushButton>(page, "applyButton"));

        GpioSettings expected = settings;
        for (std::size_t pin = 0; pin < kGpioPinCount; ++pin) expected.pins[pin].pin = static_cast<std::uint8_t>(pin);
        expected.pins[2] = {2, 2, 1};
        expected.pins[9] = {9, 2, 0};
        expected.pins[12] = {12, 0, 1};
        expected.sendToPeer = 1;
        CompareRecords(page.GetGpioSettings(), expected);
        QCOMPARE(mainWindow.Delivered().size(), std::size_t(1));
        QVERIFY(ui.Messages().empty());
    }

    // A value the device holds but no list offers (output 2) would be sent as it was read: the shared
    // rules refuse it, the message names the pin and what its mode allows, and nothing is stored or asked.
    void applyRefusesValuesNoListOffers() {
        FakeUiServices ui;
        AppMessageRecorder mainWindow;
        GpioConfigPage page;
        GpioSettings settings = SampleSettings();
        settings.pins[3] = {3, 1, 2};
        page.SetGpioSettings(settings);
        page.EnableControls(true);
        page.show();
        Click(Child<QPushButton>(page, "applyButton"));
        const auto messages = ui.Messages();
        QCOMPARE(messages.size(), std::size_t(1));
        QVERIFY2(
            messages[0].text.startsWith(QStringLiteral("장치에 쓸 수 없는 설정값이 있어 적용하지 않았습니다.\n\n")),
            qPrintable(messages[0].text));
        QVERIFY2(messages[0].text.contains(
                     QStringLiteral("GPIO 3 값: 2은(는) 쓸 수 없는 값입니다(허용: 0~1, 3번 핀 모드 1의 값).")),
                 qPrintable(messages[0].text));
        CompareRecords(page.GetGpioSettings(), settings);
        QCOMPARE(mainWindow.Delivered().size(), std::size_t(0));
        QVERIFY(AllControlsEnabled(page, true));
    }

    void applyWithoutMainWindowDoesNothing() {
        FakeUiServices ui;
        GpioConfigPage page;
        page.SetGpioSettings(SampleSettings());
        page.EnableControls(true);
        page.show();
        TypeInto(Child<QLineEdit>(page, "intervalEdit"), "5");
        QVERIFY(ChooseItem(ModeList(page, 1), "Output"));
        Click(Child<QPushButton>(page, "applyButton"));
        QVERIFY(ui.calls.empty());
        CompareRecords(page.GetGpioSettings(), SampleSettings());
        QVERIFY(AllControlsEnabled(page, true));
    }
};

}  // namespace q470

QTEST_MAIN(q470::GpioConfigPageTest)
#include "gpio_config_page_test.moc"
