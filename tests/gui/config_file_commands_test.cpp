#include "config_file_commands.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include "command_id.h"
#include "general_info_page.h"
#include "job_code.h"
#include "string_table.h"
#include "widget_driver.h"
#include "window_rig.h"

namespace q470 {
namespace {

using Commands = std::vector<std::string>;

std::vector<int> CommandIds(const SettingItemList& items) {
    std::vector<int> ids;
    for (const auto& item : items) ids.push_back(item.command);
    return ids;
}

std::vector<int> Q470RFileOrder() {
    std::vector<int> ids{CmdOpModeSet, CmdPanIdSet, CmdNetRoleSet, CmdRfChannelSet, CmdQuietModeSet, CmdUartSet};
    ids.insert(ids.end(), 13, CmdGpioConfigSet);
    ids.push_back(CmdGpioPeriodicSet);
    return ids;
}

Commands PinCommands() {
    Commands commands;
    for (int pin = 0; pin < 13; ++pin) {
        commands.push_back(
            QStringLiteral("AT+GPIOC=%1,0,0\r").arg(1 << pin, 4, 16, QLatin1Char('0')).toUpper().toStdString());
    }
    return commands;
}

void WriteFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

QAction& Command(const WindowRig& rig, const char* name) {
    return *rig.window->findChild<QAction*>(QString::fromLatin1(name));
}

void Save(WindowRig& rig, const QString& path) {
    rig.ui.fileNames.push_back(path);
    Command(rig, "saveConfigAction").trigger();
}

void Load(WindowRig& rig, const QString& path) {
    rig.ui.fileNames.push_back(path);
    Command(rig, "loadConfigAction").trigger();
}

MessageRequest LastMessage(const WindowRig& rig) {
    const auto messages = rig.ui.Messages();
    return messages.empty() ? MessageRequest{} : messages.back();
}

QString AppliedText(int count) {
    return Text(UiText::ConfigApplied) + QStringLiteral("\r\n실행된 AT 명령어: %1\r\n").arg(count);
}

}  // namespace

class ConfigFileCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        QVERIFY(folder_->isValid());
    }

    // Saved on the device and loaded again: the file's items go out in the file's order, the window
    // tells how many there were, and the device is restarted.
    void roundTrip_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<std::vector<int>>("order");
        QTest::addColumn<Commands>("sent");
        const Commands q470r = [] {
            Commands commands{"AT+OPMODE=2\r", "AT+PANID=1234\r", "AT+NETROLE=1\r", "AT+RFCH=99\r",
                              "AT+UART=9600,0,0,8\r"};
            const Commands pins = PinCommands();
            commands.insert(commands.end(), pins.begin(), pins.end());
            commands.insert(commands.end(), {"AT+GPIOP=0,0\r", "AT+QM=0\r", "ATZ\r"});
            return commands;
        }();
        const std::vector<int> keldanOrder{CmdOpModeSet, CmdQuietModeSet, CmdUartSet, CmdUserPanIdSet};
        const Commands keldan{"AT+OPMODE=2\r", "AT+UART=9600,0,0,8\r", "AT+UPANID=4660\r", "AT+QM=0\r", "ATZ\r"};
        QTest::newRow("Q470R") << int(sim::ModemModel::Q470R) << Q470RFileOrder() << q470r;
        QTest::newRow("KELDAN-KS410") << int(sim::ModemModel::KS410) << keldanOrder << keldan;
        // The KELDAN-KS400 saves the KELDAN-KS410 form and takes it back.
        QTest::newRow("KELDAN-KS400") << int(sim::ModemModel::KS400) << keldanOrder << keldan;
    }

    void roundTrip() {
        QFETCH(int, model);
        QFETCH(std::vector<int>, order);
        QFETCH(Commands, sent);
        WindowRig rig(ModemOf(static_cast<sim::ModemModel>(model)));
        rig.ui.dialogResults = {true, false};
        QVERIFY(rig.Connect());
        rig.TakeCommands();
        const QString path = folder_->filePath(QStringLiteral("device.json"));
        Save(rig, path);
        QCOMPARE(LastMessage(rig).text, Text(UiText::ConfigSaved));
        QCOMPARE(LastMessage(rig).icon, MessageIcon::Information);
        QVERIFY(QFile::exists(path));

        Load(rig, path);
        QCOMPARE(CommandIds(rig.window->FileItems()), order);
        QVERIFY(rig.window->IsBusy());
        QVERIFY(rig.WaitUntilDisconnected());
        const auto messages = rig.ui.Messages();
        QCOMPARE(messages.size(), std::size_t(3));  // saved, applied, restarting
        QCOMPARE(messages[1].text, AppliedText(int(order.size())));
        QCOMPARE(messages[1].caption, MessageCaption());
        QCOMPARE(messages[1].icon, MessageIcon::Information);
        QCOMPARE(rig.TakeCommands(), sent);

        // Both dialogs ask for *.json files in the table's filter.
        for (const auto& call : rig.ui.calls) {
            if (call.kind != FakeUiServices::CallKind::OpenFile && call.kind != FakeUiServices::CallKind::SaveFile)
                continue;
            QCOMPARE(call.file.filter, Text(UiText::ConfigFileFilter));
            QCOMPARE(call.file.presetName, QStringLiteral("*.json"));
            QCOMPARE(call.file.defaultSuffix, QStringLiteral("json"));
        }
    }

    // What the file holds is what the pages last applied, not what was typed afterwards.
    void saveTakesTheAppliedRecord() {
        WindowRig rig;
        QVERIFY(rig.Connect());
        auto& panIdEdit = Child<QLineEdit>(rig.window->GeneralPage(), "panIdEdit");
        TypeInto(panIdEdit, QStringLiteral("4321"));
        const QString path = folder_->filePath(QStringLiteral("typed.json"));
        Save(rig, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        QVERIFY(content.contains("\"PAN ID\": 1234"));
        QVERIFY(content.contains("\r\n"));
    }

    // A failed apply tells so, with what the device took and the step that failed, and reads the device
    // again; a refused file changes nothing: the items of the last good file stay, nothing is queued and
    // nothing is sent. Every refusal keeps the window's own text first and says why after it.
    void refusedFilesChangeNothing() {
        WindowRig rig;
        QVERIFY(rig.Connect());
        const QString good = folder_->filePath(QStringLiteral("good.json"));
        Save(rig, good);
        rig.modem.SetFault("AT+PANID=", [] {
            sim::CommandFault fault;
            fault.answerError = true;
            return fault;
        }());
        rig.TakeCommands();
        Load(rig, good);
        QVERIFY(rig.WaitForMessages(2));
        QCOMPARE(LastMessage(rig).text, Text(UiText::ConfigApplyFailed) +
                                            QStringLiteral("\n\n장치가 받아들인 설정: 운영 모드\n"
                                                           "실패한 단계: PAN ID 쓰기"));
        QCOMPARE(LastMessage(rig).icon, MessageIcon::Error);
        QVERIFY(rig.WaitUntilReady());
        QCOMPARE(rig.TakeCommands(), (Commands{"AT+OPMODE=2\r", "AT+PANID=1234\r", "AT+INFO?\r", "AT+NETINFO?\r",
                                               "AT+GPIOC?\r", "AT+GPIOP?\r", "AT+VER?\r", "AT+URPU?\r"}));
        const SettingItemList loaded = rig.window->FileItems();
        QCOMPARE(loaded.size(), std::size_t(20));

        struct Refusal {
            const char* name;
            QByteArray content;  // "-": the file does not exist
            QString text;
            QString caption;
            MessageIcon icon;
            QString cause;
        };
        const QString fileError = QStringLiteral("설정 파일 오류");
        const QString readError = QStringLiteral("설정 읽기 오류");
        const auto analysis = [](int code) {
            return QStringLiteral(
                       "설정 파일 분석에 문제가 발생했습니다.(%1) 설정 파일을 확인하시고 다시 시도해 주세요.")
                .arg(code);
        };
        const QString loadFailed = Text(UiText::ConfigLoadFailed);
        const Refusal refusals[] = {
            {"no valid values", "{}", Text(UiText::ConfigNoValidValues), readError, MessageIcon::Warning, {}},
            {"root array", "[]", analysis(-1), fileError, MessageIcon::Error,
             QStringLiteral("파일의 최상위 값이 객체({…})가 아닙니다.")},
            {"model name not a string", R"({"Model Name": 7})", analysis(-3), fileError, MessageIcon::Error,
             QStringLiteral("\"Model Name\"이 문자열이 아닙니다: 7")},
            {"KELDAN-KS400 named", R"({"Model Name": "KELDAN-KS400"})", analysis(-2), fileError, MessageIcon::Error,
             QStringLiteral("\"Model Name\"은 \"Q470R\" 또는 \"KELDAN-KS410\"이어야 합니다: \"KELDAN-KS400\"")},
            {"another model's file", R"({"Model Name": "KELDAN-KS410", "General": {"Operation Mode": 2}})",
             Text(UiText::ConfigWrongProduct), readError, MessageIcon::Warning,
             QStringLiteral("이 파일은 KELDAN-KS410용이고, 연결된 장치는 Q470R입니다.")},
            {"missing", "-", loadFailed, MessageCaption(), MessageIcon::Warning, QStringLiteral("파일이 없습니다.")},
            {"empty file", "", loadFailed, MessageCaption(), MessageIcon::Warning,
             QStringLiteral("JSON 형식이 아닙니다(1번째 줄, 1번째 글자): 파일이 비어 있습니다.")},
            {"comment", "{\n  // note\n}", loadFailed, MessageCaption(), MessageIcon::Warning,
             QStringLiteral("JSON 형식이 아닙니다(2번째 줄, 3번째 글자): 큰따옴표로 묶은 항목 이름이 와야 합니다")},
            {"second root", "{} {}", loadFailed, MessageCaption(), MessageIcon::Warning,
             QStringLiteral("JSON 형식이 아닙니다(1번째 줄, 4번째 글자): 값 뒤에 다른 내용이 있습니다.")},
            {"PAN ID beyond 16 bits", R"({"General": {"Operation Mode": 3, "PAN ID": 70196}})", loadFailed,
             MessageCaption(), MessageIcon::Warning,
             QStringLiteral("General/PAN ID: 70196은(는) 쓸 수 없는 값입니다(허용: 1~65533).")},
            {"pin 33", R"({"GPIOs": {"Configs": [{"Num": 33, "IoMode": 1, "Config": 1}]}})", loadFailed,
             MessageCaption(), MessageIcon::Warning,
             QStringLiteral("GPIOs/Configs[0]/Num: 33은(는) 쓸 수 없는 값입니다(허용: 0~12).")},
            // The device is on PHY ID 12: channel 50 belongs to another plan.
            {"channel of another plan", R"({"General": {"RF Channel": 50}})", loadFailed, MessageCaption(),
             MessageIcon::Warning,
             QStringLiteral("General/RF Channel: 50은(는) 쓸 수 없는 값입니다(허용: 99~105, PHY ID 12의 채널).")},
        };
        const QString path = folder_->filePath(QStringLiteral("refused.json"));
        for (const auto& refusal : refusals) {
            QFile::remove(path);
            if (refusal.content != "-") WriteFile(path, refusal.content);
            const std::size_t before = rig.ui.Messages().size();
            Load(rig, path);
            QCoreApplication::processEvents();
            QVERIFY2(rig.ui.Messages().size() == before + 1, refusal.name);
            const MessageRequest shown = LastMessage(rig);
            const QString expected = refusal.cause.isEmpty() ? refusal.text : refusal.text + QStringLiteral("\n\n");
            QVERIFY2(shown.text.startsWith(expected), qPrintable(QString::fromLatin1(refusal.name) + ": " + shown.text));
            QVERIFY2(shown.text.contains(refusal.cause), qPrintable(QString::fromLatin1(refusal.name) + ": " + shown.text));
            QVERIFY2(shown.caption == refusal.caption, refusal.name);
            QVERIFY2(shown.icon == refusal.icon, refusal.name);
            QVERIFY2(rig.window->FileItems() == loaded, refusal.name);
            QVERIFY2(rig.IsReady(), refusal.name);
        }
        QTest::qWait(50);
        QVERIFY(rig.TakeCommands().empty());
    }

    // Members the file names but the tool does not send are listed under the result: a misspelt PAN ID
    // no longer vanishes without a word.
    void membersLeftOutAreListedUnderTheResult() {
        WindowRig rig;
        QVERIFY(rig.Connect());
        rig.TakeCommands();
        const QString path = folder_->filePath(QStringLiteral("typo.json"));
        WriteFile(path, R"({"General": {"PanID": 4660, "Operation Mode": 3, "User PAN ID": 5, "Quiet Mode": 0}})");
        Load(rig, path);
        QVERIFY(rig.WaitUntilDisconnected());
        QCOMPARE(rig.ui.Messages().size(), std::size_t(2));  // applied, restarting
        QCOMPARE(rig.ui.Messages()[0].text,
                 AppliedText(2) + QStringLiteral("\n\n적용하지 않은 항목:\n"
                                                 "General/PanID: 알 수 없는 항목이라 읽지 않았습니다. (\"PAN ID\"을(를) 뜻했나요?)\n"
                                                 "General/Quiet Mode: 0은(는) true 또는 false이(가) 아니라서 읽지 않았습니다.\n"
                                                 "General/User PAN ID: Q470R에는 없는 설정이라 보내지 않습니다."));
        QCOMPARE(rig.TakeCommands(), (Commands{"AT+OPMODE=3\r", "ATZ\r"}));
    }

    // A device set up by older firmware or another tool may hold what the rules refuse: the file keeps
    // it as read, a warning after the saved message names each value, and loading the file is refused
    // with the values, what is allowed and that the file needs them changed.
    void valuesTheRulesRefuseAreSavedWithAWarning() {
        WindowRig rig;
        rig.modem.UpdateSettings([](sim::ModemSettings& s) {
            s.reportInterval = 500;
            s.gpio[0] = {2, 0};  // pin 0 has no alternate function
        });
        QVERIFY(rig.Connect());
        rig.TakeCommands();
        const QString path = folder_->filePath(QStringLiteral("held.json"));
        Save(rig, path);
        const auto messages = rig.ui.Messages();
        QCOMPARE(messages.size(), std::size_t(2));
        QCOMPARE(messages[0].text, Text(UiText::ConfigSaved));
        QCOMPARE(messages[1].icon, MessageIcon::Warning);
        const QString lines = QStringLiteral(
            "GPIOs/Configs[0]/IoMode: 장치가 가진 값 2은(는) 쓸 수 없는 값입니다(허용: 0~1, 0번 핀의 모드). 이 값이 든 "
            "파일은 값을 고치기 전에는 적용할 수 없습니다.\n"
            "GPIOs/Periodic Report/Report Interval: 장치가 가진 값 500은(는) 쓸 수 없는 값입니다(허용: 0, "
            "1000~2147483647). 이 값이 든 파일은 값을 고치기 전에는 적용할 수 없습니다.");
        QCOMPARE(messages[1].text, Text(UiText::SavedWithHeldValues) + QStringLiteral("\n\n") + lines);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("\"Report Interval\": 500,"));

        Load(rig, path);
        QCoreApplication::processEvents();
        const QString refused = LastMessage(rig).text;
        QVERIFY2(refused.startsWith(Text(UiText::ConfigLoadFailed)), qPrintable(refused));
        const QString interval = QStringLiteral("GPIOs/Periodic Report/Report Interval: 500은(는) 쓸 수 없는 값입니다");
        QVERIFY2(refused.contains(interval), qPrintable(refused));
        QVERIFY2(refused.contains(Text(UiText::RefusedFileNote)), qPrintable(refused));
        QTest::qWait(50);
        QVERIFY(rig.TakeCommands().empty());
    }

    void cancelledDialogsLeaveNoTrace() {
        WindowRig rig;
        QVERIFY(rig.Connect());
        rig.TakeCommands();
        Save(rig, QString());
        Load(rig, QString());
        QCoreApplication::processEvents();
        QCOMPARE(rig.ui.calls.size(), std::size_t(3));  // the connection dialog and the two file dialogs
        QVERIFY(rig.ui.Messages().empty());
        QVERIFY(rig.window->FileItems().empty());
        QVERIFY(QDir(folder_->path()).isEmpty());
        QVERIFY(rig.IsReady());
        QVERIFY(rig.TakeCommands().empty());
    }

    void saveFailureIsTold() {
        WindowRig rig;
        QVERIFY(rig.Connect());
        Save(rig, folder_->filePath(QStringLiteral("no-such-folder/device.json")));
        QCOMPARE(LastMessage(rig).text, Text(UiText::ConfigSaveFailed));
        QCOMPARE(LastMessage(rig).icon, MessageIcon::Error);
        QVERIFY(rig.IsReady());
    }

private:
    std::unique_ptr<QTemporaryDir> folder_;
};

}  // namespace q470

QTEST_MAIN(q470::ConfigFileCommandsTest)
#include "config_file_commands_test.moc"
