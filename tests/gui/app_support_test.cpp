#include "ui_services.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app_main_window.h"
#include "app_message.h"
#include "app_message_event.h"
#include "app_message_recorder.h"
#include "app_profile.h"
#include "artwork.h"
#include "com_config_dlg.h"
#include "fake_ui_services.h"
#include "file_filter.h"
#include "qt_translations.h"
#include "qt_ui_services.h"
#include "string_table.h"
#include "temporary_profile.h"
#include "widget_driver.h"

namespace q470 {
namespace {

// Runs `answer` on the modal window that the next call opens.
void AnswerNextModal(std::function<void(QWidget&)> answer) {
    QTimer::singleShot(0, [answer = std::move(answer)] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal != nullptr);
        answer(*modal);
    });
}

// What a person reads of Qt's own texts: the buttons of a yes/no box and of an OK box, the open dialog's
// labels and buttons, and the question before a save replaces a file.
struct QtTexts {
    QStringList yesNoButtons;
    QString okButton;
    QStringList openDialog;
    QString replaceQuestion;
};

QStringList ButtonTexts(const QMessageBox& box) {
    QStringList texts;
    for (auto button : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Ok}) {
        if (const QAbstractButton* shown = box.button(button)) texts << shown->text();
    }
    return texts;
}

QtTexts ShownQtTexts(const QString& existingFile) {
    QtUiServices services;
    QtTexts texts;
    AnswerNextModal([&](QWidget& modal) {
        auto& box = dynamic_cast<QMessageBox&>(modal);
        texts.yesNoButtons = ButtonTexts(box);
        box.done(QMessageBox::No);
    });
    services.ShowMessage(nullptr, {"?", "", MessageIcon::Question, MessageButtons::YesNo});
    AnswerNextModal([&](QWidget& modal) {
        auto& box = dynamic_cast<QMessageBox&>(modal);
        texts.okButton = ButtonTexts(box).join('|');
        box.accept();
    });
    services.ShowMessage(nullptr, {"!", "", MessageIcon::Information, MessageButtons::Ok});
    AnswerNextModal([&](QWidget& modal) {
        for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"}) {
            texts.openDialog << Child<QLabel>(modal, name).text();
        }
        for (auto* button : Child<QDialogButtonBox>(modal, "buttonBox").buttons()) texts.openDialog << button->text();
        static_cast<QDialog&>(modal).reject();
    });
    services.GetOpenFileName(nullptr, {});
    // Saving over an existing file asks first; the question is Qt's own.
    AnswerNextModal([&](QWidget& modal) {
        auto& dialog = dynamic_cast<QFileDialog&>(modal);
        AnswerNextModal([&](QWidget& question) {
            auto& box = dynamic_cast<QMessageBox&>(question);
            texts.replaceQuestion = box.text();
            box.done(QMessageBox::No);
        });
        dialog.selectFile(existingFile);
        static_cast<QDialog&>(dialog).accept();
        dialog.reject();
    });
    services.GetSaveFileName(nullptr, {});
    return texts;
}

int OpaquePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) count += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
    }
    return count;
}

}  // namespace

class AppSupportTest : public QObject {
    Q_OBJECT

private slots:
    void fileFilters_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("filters");
        QTest::newRow("Korean 124") << "설정 파일(*.json) | *.json |모든파일(*.*) |*.*||"
                                    << QStringList{"설정 파일(*.json)", "모든파일(*.*)"};
        QTest::newRow("English 124") << "Config File (*.json) | *.json |All Files(*.*) |*.*||"
                                     << QStringList{"Config File (*.json)", "All Files(*.*)"};
        QTest::newRow("patterns not in the text") << "Logs|*.log;*.txt||" << QStringList{"Logs (*.log;*.txt)"};
        QTest::newRow("empty") << "" << QStringList();
    }

    void fileFilters() {
        QFETCH(QString, table);
        QFETCH(QStringList, filters);
        QCOMPARE(QtNameFilters(table), filters);
    }

    void iconHasEverySizeDrawn() {
        const QIcon icon = AppIcon();
        QList<int> sizes;
        for (const QSize& size : icon.availableSizes()) sizes << size.width();
        std::sort(sizes.begin(), sizes.end());
        QCOMPARE(sizes, QList<int>({16, 24, 32, 48, 64, 96}));
        for (int size : sizes) {
            const QImage image = icon.pixmap(size, size).toImage();
            QCOMPARE(image.size(), QSize(size, size));
            QVERIFY(image.hasAlphaChannel());
            // A drawing, not an empty or filled square.
            const int opaque = OpaquePixels(image);
            QVERIFY2(opaque > size * size / 3 && opaque < size * size, qPrintable(QString::number(size)));
        }
    }

    void toolbarStripHasFourImages() {
        const QImage strip = ToolbarStrip().toImage();
        QCOMPARE(strip.size(), QSize(128, 32));
        QVERIFY(strip.hasAlphaChannel());
        for (int image = 0; image < kToolbarImageCount; ++image) {
            const int opaque = OpaquePixels(strip.copy(image * kToolbarImageSizePx, 0, 32, 32));
            QVERIFY2(opaque > 200 && opaque < 32 * 32 - 50, qPrintable(QString::number(image)));
        }
    }

    void messagesReachRegisteredMainWindowOnly() {
        QVERIFY(!PostAppMessage(WM_APP_APPLY_GENERAL));
        {
            AppMessageRecorder mainWindow;
            QCOMPARE(AppMainWindow(), &mainWindow);
            QVERIFY(PostAppMessage(WM_APP_JOB_RESULT, 4, -1));
            QVERIFY(PostAppMessage(WM_APP_APPLY_GPIO));
            QCOMPARE(mainWindow.Delivered().size(), std::size_t(2));
            QCOMPARE(mainWindow.Delivered()[0].message, WM_APP_JOB_RESULT);
            QCOMPARE(mainWindow.Delivered()[0].wParam, quintptr(4));
            QCOMPARE(mainWindow.Delivered()[0].lParam, qintptr(-1));
            QCOMPARE(mainWindow.Delivered()[1].message, WM_APP_APPLY_GPIO);
            // Posted, not sent: nothing arrives before the event loop runs.
            QVERIFY(PostAppMessage(WM_APP_OPEN_PORT));
            QCOMPARE(mainWindow.Delivered().size(), std::size_t(3));
        }
        // A destroyed window unregisters itself.
        QCOMPARE(AppMainWindow(), nullptr);
        QVERIFY(!PostAppMessage(WM_APP_APPLY_GENERAL));
    }

    void profileLivesUnderBrevint() {
        const TemporaryProfile profile;
        AppProfile().WriteInt("Default Values", "Serial port buadrate", 19200);
        AppProfile().WriteText("Default Values", "Serial port name", "/dev/ttyUSB0");
        QCOMPARE(AppProfile::ApplicationName(), QStringLiteral("gui_app_support_tests"));
        QVERIFY(profile.FilePath().endsWith(QStringLiteral("/Brevint/gui_app_support_tests.conf")));
        QCOMPARE(profile.Read("Serial port buadrate").toInt(), 19200);
        QCOMPARE(profile.Read("Serial port name").toString(), QStringLiteral("/dev/ttyUSB0"));
    }

    void profileReadsIntegersCarefully_data() {
        QTest::addColumn<QVariant>("stored");  // invalid: absent
        QTest::addColumn<bool>("readable");
        QTest::addColumn<qint64>("value");
        QTest::newRow("absent: default") << QVariant() << true << qint64(9600);
        QTest::newRow("number") << QVariant(2400) << true << qint64(2400);
        QTest::newRow("negative") << QVariant(-3) << true << qint64(-3);
        QTest::newRow("text") << QVariant("fast") << false << qint64(0);
        QTest::newRow("empty") << QVariant("") << false << qint64(0);
        QTest::newRow("too large") << QVariant("99999999999999999999") << false << qint64(0);
    }

    void profileReadsIntegersCarefully() {
        QFETCH(QVariant, stored);
        QFETCH(bool, readable);
        QFETCH(qint64, value);
        const TemporaryProfile profile;
        if (stored.isValid()) profile.Write("Serial port buadrate", stored);
        const auto read = AppProfile().ReadInt("Default Values", "Serial port buadrate", 9600);
        QCOMPARE(read.has_value(), readable);
        if (readable) QCOMPARE(*read, value);
    }

    void servicesCanBeReplaced() {
        QVERIFY(dynamic_cast<QtUiServices*>(&CurrentUiServices()) != nullptr);
        {
            FakeUiServices fake;
            QCOMPARE(&CurrentUiServices(), static_cast<UiServices*>(&fake));
            fake.answers = {MessageAnswer::No};
            QCOMPARE(ShowMessageBox(nullptr, "q", MessageIcon::Question, MessageButtons::YesNo), MessageAnswer::No);
            QCOMPARE(ShowMessageBox(nullptr, "q", MessageIcon::Question, MessageButtons::YesNo), MessageAnswer::Yes);
            QCOMPARE(CurrentUiServices().GetOpenFileName(nullptr, {}), QString());
            QCOMPARE(fake.calls.size(), std::size_t(3));
        }
        QVERIFY(dynamic_cast<QtUiServices*>(&CurrentUiServices()) != nullptr);
    }

    void qtMessageBox_data() {
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("qtIcon");
        QTest::addColumn<bool>("yesNo");
        QTest::addColumn<bool>("pressYes");
        QTest::addColumn<int>("answer");
        QTest::newRow("information") << int(MessageIcon::Information) << int(QMessageBox::Information) << false << false
                                     << int(MessageAnswer::Ok);
        QTest::newRow("warning") << int(MessageIcon::Warning) << int(QMessageBox::Warning) << false << false
                                 << int(MessageAnswer::Ok);
        QTest::newRow("error") << int(MessageIcon::Error) << int(QMessageBox::Critical) << false << false
                               << int(MessageAnswer::Ok);
        QTest::newRow("none") << int(MessageIcon::None) << int(QMessageBox::NoIcon) << false << false
                              << int(MessageAnswer::Ok);
        QTest::newRow("question, yes") << int(MessageIcon::Information) << int(QMessageBox::Information) << true << true
                                       << int(MessageAnswer::Yes);
        QTest::newRow("question, no") << int(MessageIcon::Question) << int(QMessageBox::Question) << true << false
                                      << int(MessageAnswer::No);
    }

    void qtMessageBox() {
        QFETCH(int, icon);
        QFETCH(int, qtIcon);
        QFETCH(bool, yesNo);
        QFETCH(bool, pressYes);
        QFETCH(int, answer);
        QtUiServices services;
        QString shownText;
        AnswerNextModal([&](QWidget& modal) {
            auto& box = dynamic_cast<QMessageBox&>(modal);
            shownText = box.text();
            QCOMPARE(box.windowTitle(), QStringLiteral("캡션"));
            QCOMPARE(int(box.icon()), qtIcon);
            QCOMPARE(box.standardButtons(), yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
            Click(*box.button(yesNo ? (pressYes ? QMessageBox::Yes : QMessageBox::No) : QMessageBox::Ok));
        });
        const MessageRequest request{"첫 줄\r\n둘째 줄", "캡션", static_cast<MessageIcon>(icon),
                                     yesNo ? MessageButtons::YesNo : MessageButtons::Ok};
        QCOMPARE(int(services.ShowMessage(nullptr, request)), answer);
        QCOMPARE(shownText, QStringLiteral("첫 줄\n둘째 줄"));
    }

    void qtFileDialogs() {
        QTemporaryDir folder;
        const QString existing = folder.filePath("site.json");
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QtUiServices services;
        const FileDialogRequest request{"Config File (*.json) | *.json |All Files(*.*) |*.*||"};

        AnswerNextModal([&](QWidget& modal) {
            auto& dialog = dynamic_cast<QFileDialog&>(modal);
            QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);
            QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFile);
            QCOMPARE(dialog.nameFilters(), QStringList({"Config File (*.json)", "All Files(*.*)"}));
            QCOMPARE(dialog.defaultSuffix(), QStringLiteral("json"));
            dialog.setDirectory(folder.path());
            dialog.selectFile(existing);
            static_cast<QDialog&>(dialog).accept();  // runs the file dialog's own accept
        });
        QCOMPARE(services.GetOpenFileName(nullptr, request), existing);

        AnswerNextModal([&](QWidget& modal) {
            auto& dialog = dynamic_cast<QFileDialog&>(modal);
            QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
            QVERIFY(!dialog.testOption(QFileDialog::DontConfirmOverwrite));
            dialog.reject();
        });
        QCOMPARE(services.GetSaveFileName(nullptr, request), QString());
    }

    // Qt's own texts follow the interface language; where Qt has no translation, its buttons and the file
    // dialog's labels take the table's texts.
    void qtTextsFollowInterfaceLanguage_data() {
        QTest::addColumn<QByteArray>("language");
        QTest::addColumn<bool>("qtTranslation");  // Qt's translations folder present
        QTest::addColumn<QStringList>("yesNo");
        QTest::addColumn<QString>("ok");
        QTest::addColumn<QStringList>("openDialog");
        QTest::addColumn<QString>("replaceQuestion");  // its beginning
        QTest::newRow("Korean, Qt's translation")
            << QByteArray("ko") << true << QStringList{"예(&Y)", "아니요(&N)"} << "확인"
            << QStringList{"다음에서 찾기:", "파일 이름(&N):", "파일 형식:", "열기(&O)", "취소"}
            << "site.json이(가) 이미";
        QTest::newRow("Korean, none of Qt's")
            << QByteArray("ko") << false << QStringList{"예", "아니요"} << "확인"
            << QStringList{"찾는 위치:", "파일 이름:", "파일 형식:", "열기", "취소"} << "site.json already exists";
        QTest::newRow("English") << QByteArray("en") << true << QStringList{"&Yes", "&No"} << "OK"
                                 << QStringList{"Look in:", "File &name:", "Files of type:", "&Open", "Cancel"}
                                 << "site.json already exists";
    }

    void qtTextsFollowInterfaceLanguage() {
        QFETCH(QByteArray, language);
        QFETCH(bool, qtTranslation);
        QFETCH(QStringList, yesNo);
        QFETCH(QString, ok);
        QFETCH(QStringList, openDialog);
        QFETCH(QString, replaceQuestion);
        QTemporaryDir folder;
        QFile existing(folder.filePath("site.json"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();
        qputenv("Q470_LANG", language);
        const QStringList folders = qtTranslation ? QtTranslationFolders() : QStringList{folder.path()};
        QCOMPARE(InstallQtTranslations(CurrentUiLanguage(), folders), qtTranslation);
        const QtTexts texts = ShownQtTexts(existing.fileName());
        qputenv("Q470_LANG", "ko");
        InstallQtTranslations(UiLanguage::English);

        QCOMPARE(texts.yesNoButtons, yesNo);
        QCOMPARE(texts.okButton, ok);
        QCOMPARE(texts.openDialog, openDialog);
        QVERIFY2(texts.replaceQuestion.startsWith(replaceQuestion), qPrintable(texts.replaceQuestion));
    }

    void qtRunsConnectionDialog() {
        const TemporaryProfile profile;
        QtUiServices services;
        ComConfigDlg dialog(nullptr, [](std::vector<SerialPortEntry>& ports) {
            ports = {{"COM5", {}}};
            return std::error_code();
        });
        AnswerNextModal([](QWidget& modal) { Click(Child<QPushButton>(modal, "okButton")); });
        QVERIFY(services.RunComConfigDlg(dialog));
        QCOMPARE(dialog.PortName(), QStringLiteral("COM5"));
        AnswerNextModal([](QWidget& modal) { Click(Child<QPushButton>(modal, "cancelButton")); });
        QVERIFY(!services.RunComConfigDlg(dialog));
    }
};

}  // namespace q470

QTEST_MAIN(q470::AppSupportTest)
#include "app_support_test.moc"
