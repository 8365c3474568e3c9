#include "string_table.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "com_config_dlg.h"
#include "general_info_page.h"
#include "gpio_config_page.h"
#include "widget_driver.h"

namespace q470 {
namespace {

class ScopedLanguage {
public:
    explicit ScopedLanguage(const QByteArray& language) : saved_(qgetenv("Q470_LANG")) { Set(language); }
    ~ScopedLanguage() { Set(saved_); }

private:
    static void Set(const QByteArray& language) {
        if (language.isEmpty()) {
            qunsetenv("Q470_LANG");
        } else {
            qputenv("Q470_LANG", language);
        }
    }

    QByteArray saved_;
};

QStringList WidgetTexts(const QWidget& widget) {
    QStringList texts{widget.windowTitle()};
    for (auto* label : widget.findChildren<QLabel*>()) texts << label->text();
    for (auto* box : widget.findChildren<QGroupBox*>()) texts << box->title();
    for (auto* button : widget.findChildren<QAbstractButton*>()) texts << button->text();
    for (auto* child : widget.findChildren<QWidget*>()) texts << child->toolTip();
    texts.removeAll(QString());
    return texts;
}

}  // namespace

class StringTableTest : public QObject {
    Q_OBJECT

private slots:
    void textsAreExact_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("korean");
        QTest::addColumn<QString>("english");
        QTest::newRow("101") << 101 << "Q470 Manager 정보(&A)..."
                             << "Q470 Configurator Info(&A)...";
        QTest::newRow("112") << 112 << "Q470 접속 설정"
                             << "Configuring parameters for communication with device";
        QTest::newRow("117 spaced") << 117 << "적 용"
                                    << "Apply";
        QTest::newRow("119 double spaces") << 119 << "GPIO 알림 간격 설정이 잘못  설정되어 있습니다."
                                           << "Invalid GPIO  report interval is set";
        QTest::newRow("121 line break")
            << 121 << "기본설정 적용을 완료하였습니다.\r\n변경된 설정값은 장치 재시작 후 적용됩니다."
            << "General settings are applied successfully.\r\nChanges will be applied "
               "after restart the device";
        QTest::newRow("124 filter") << 124 << "설정 파일(*.json) | *.json |모든파일(*.*) |*.*||"
                                    << "Config File (*.json) | *.json |All Files(*.*) |*.*||";
        QTest::newRow("131 trailing space") << 131 << "COM 포트에 문제가 발생하였습니다. "
                                            << "A problem occurred on the COM port. ";
        QTest::newRow("role group") << int(UiText::RoleGroup) << "장치  역할"
                                    << "Device Role";
        QTest::newRow("executed commands") << int(UiText::ExecutedCommandsLine) << "\r\n실행된 AT 명령어: %u\r\n"
                                           << "\r\nAT commands executed: %u\r\n";
    }

    void textsAreExact() {
        QFETCH(int, id);
        QFETCH(QString, korean);
        QFETCH(QString, english);
        QCOMPARE(Text(static_cast<UiText>(id), UiLanguage::Korean), korean);
        QCOMPARE(Text(static_cast<UiText>(id), UiLanguage::English), english);
    }

    void environmentPicksLanguage_data() {
        QTest::addColumn<QByteArray>("setting");
        QTest::addColumn<QString>("expected");
        const QString systemChoice = QLocale::system().language() == QLocale::Korean ? QStringLiteral("기본설정")
                                                                                     : QStringLiteral("Basic Config");
        QTest::newRow("ko") << QByteArray("ko") << "기본설정";
        QTest::newRow("en") << QByteArray("en") << "Basic Config";
        QTest::newRow("unknown: system locale") << QByteArray("fr") << systemChoice;
        QTest::newRow("unset: system locale") << QByteArray() << systemChoice;
    }

    void environmentPicksLanguage() {
        QFETCH(QByteArray, setting);
        QFETCH(QString, expected);
        const ScopedLanguage language(setting);
        QCOMPARE(LoadUiString(107), expected);
    }

    void stringIdsOutsideTheTableAreEmpty() {
        for (int id : {0, 100, 102, 110, 133, 1000})
            QVERIFY2(LoadUiString(id).isEmpty(), qPrintable(QString::number(id)));
        QVERIFY(!LoadUiString(132).isEmpty());
    }

    void widgetsFollowLanguage_data() {
        QTest::addColumn<QByteArray>("language");
        QTest::addColumn<QStringList>("dialogTexts");
        QTest::addColumn<QStringList>("generalTexts");
        QTest::addColumn<QStringList>("gpioTexts");
        QTest::newRow("ko") << QByteArray("ko") << QStringList{"Q470 접속 설정", "COM 포트",   "속도", "패리티",
                                                               "스탑비트",       "데이터비트", "확인", "취소"}
                            << QStringList{"장치  역할",     "마스터",      "슬레이브",   "채널",      "전송  방식",
                                           "AT 명령어 방식", "Bypass 방식", "통신  구성", "명령 응답", "UART 설정",
                                           "속도 (bps)",     "실외 고정형", "적 용"}
                            << QStringList{"GPIOs", "주기 설정", "주기 (ms)", "상대 장치로 전송", "적 용"};
        QTest::newRow("en") << QByteArray("en")
                            << QStringList{"Configuring parameters for communication with device",
                                           "COM Port",
                                           "Speed",
                                           "Parity",
                                           "Stop Bits",
                                           "Data Bits",
                                           "OK",
                                           "Cancel"}
                            << QStringList{"Device Role",
                                           "Master",
                                           "Slave",
                                           "Channel",
                                           "Transmission Method",
                                           "AT Command Mode",
                                           "Bypass Mode",
                                           "Communication Layout",
                                           "Command Response",
                                           "UART Settings",
                                           "Speed (bps)",
                                           "Outdoor Fixed Installation",
                                           "Apply"}
                            << QStringList{"GPIOs", "Period Setting", "Period (ms)", "Send to Peer Device", "Apply"};
    }

    void widgetsFollowLanguage() {
        QFETCH(QByteArray, language);
        QFETCH(QStringList, dialogTexts);
        QFETCH(QStringList, generalTexts);
        QFETCH(QStringList, gpioTexts);
        const ScopedLanguage scoped(language);
        const ComConfigDlg dialog;
        const GeneralInfoPage general;
        const GpioConfigPage gpio;
        const std::array<std::pair<const QWidget*, QStringList>, 3> widgets{
            {{&dialog, dialogTexts}, {&general, generalTexts}, {&gpio, gpioTexts}}};
        const QRegularExpression hangul(QStringLiteral("[\\x{AC00}-\\x{D7A3}]"));
        for (const auto& [widget, expected] : widgets) {
            const QStringList shown = WidgetTexts(*widget);
            for (const QString& text : expected) QVERIFY2(shown.contains(text), qPrintable(text));
            // English leaves no Korean text behind.
            if (language == "en") {
                for (const QString& text : shown) QVERIFY2(!text.contains(hangul), qPrintable(text));
            }
        }
    }
};

}  // namespace q470

QTEST_MAIN(q470::StringTableTest)
#include "string_table_test.moc"
