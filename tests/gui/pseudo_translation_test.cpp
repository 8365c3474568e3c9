// The window in "pseudo", a made-up language whose every text is its English source in ⟦…⟧ (made at build
// time from the texts in the code): whatever the window shows outside the brackets escaped translation.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "about_dlg.h"
#include "com_config_dlg.h"
#include "general_info_page.h"
#include "string_table.h"
#include "widget_driver.h"
#include "window_rig.h"

namespace q470 {
namespace {

// Words every language shows as they are: the models, and the link state in the device's own words in
// the status information ("Q470R/RX, ACTIVE"). The program's name, which captions the message boxes, is
// added where it is known. The lists' items (the settings' value labels) are not looked at: they are
// the same in every language.
const QStringList kFixedWords{QStringLiteral("KELDAN-KS410"), QStringLiteral("KELDAN-KS400"), QStringLiteral("Q470R"),
                              QStringLiteral("INACTIVE"), QStringLiteral("ACTIVE")};

// The parts of a text outside ⟦…⟧, a text filled into another counting as inside.
QString Outside(const QString& text) {
    QString rest;
    int depth = 0;
    for (const QChar c : text) {
        if (c == QChar(0x27E6)) {
            ++depth;
        } else if (c == QChar(0x27E7)) {
            depth = depth > 0 ? depth - 1 : 0;
        } else if (depth == 0) {
            rest += c;
        }
    }
    return rest;
}

// The texts that show a word outside the brackets that is not data (a port, an address, a version) or
// one of the fixed words.
QStringList Escaped(const QStringList& texts) {
    static const QRegularExpression data(
        QStringLiteral("(/[^\\s,]+|\\b[0-9A-F]{2}(:[0-9A-F]{2}){7}\\b|\\b\\d+(\\.\\d+)+\\b|&)"));
    static const QRegularExpression letter(QStringLiteral("\\p{L}"));
    QStringList escaped;
    for (const QString& text : texts) {
        QString rest = Outside(text);
        rest.remove(data);
        for (const QString& word : kFixedWords) rest.remove(word);
        rest.remove(QGuiApplication::applicationDisplayName());
        if (rest.contains(letter)) escaped << text;
    }
    return escaped;
}

void AddIfShown(QStringList& texts, const QString& text) {
    if (!text.trimmed().isEmpty()) texts << text;
}

// Every text a person reads in a window: title, labels, buttons, group titles, tab titles, menus and
// their entries, tooltips and placeholders. The lists' items are the fixed labels of the settings.
QStringList ShownTexts(const QWidget& window) {
    QStringList texts;
    AddIfShown(texts, window.windowTitle());
    for (auto* label : window.findChildren<QLabel*>()) AddIfShown(texts, label->text());
    for (auto* button : window.findChildren<QAbstractButton*>()) AddIfShown(texts, button->text());
    for (auto* box : window.findChildren<QGroupBox*>()) AddIfShown(texts, box->title());
    for (auto* edit : window.findChildren<QLineEdit*>()) AddIfShown(texts, edit->placeholderText());
    for (auto* tabs : window.findChildren<QTabWidget*>()) {
        for (int i = 0; i < tabs->count(); ++i) AddIfShown(texts, tabs->tabText(i));
    }
    for (auto* child : window.findChildren<QWidget*>()) AddIfShown(texts, child->toolTip());
    for (auto* menu : window.findChildren<QMenu*>()) AddIfShown(texts, menu->title());
    for (auto* action : window.findChildren<QAction*>()) {
        AddIfShown(texts, action->text());
        AddIfShown(texts, action->toolTip());
    }
    return texts;
}

QStringList MessageTexts(const FakeUiServices& ui) {
    QStringList texts;
    for (const MessageRequest& message : ui.Messages()) {
        AddIfShown(texts, message.text);
        AddIfShown(texts, message.caption);
    }
    for (const auto& call : ui.calls) {
        if (call.kind == FakeUiServices::CallKind::OpenFile || call.kind == FakeUiServices::CallKind::SaveFile)
            AddIfShown(texts, call.file.filter);
    }
    return texts;
}

QAction& Command(const WindowRig& rig, const char* name) {
    return *rig.window->findChild<QAction*>(QString::fromLatin1(name));
}

}  // namespace

class PseudoTranslationTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(InterfaceLanguage() == QLatin1String("pseudo"),
                 "the pseudo-translation is built beside the test program, in translations/");
    }

    // The check itself: an untranslated word shows, a translated one with data filled in does not.
    void theCheckSeesWhatEscaped() {
        QCOMPARE(Escaped({QStringLiteral("⟦Port: %1⟧").arg(QStringLiteral("/dev/ttyUSB0")),
                          QStringLiteral("⟦The %s⟧ Q470R 00:12:4B:00:1A:2B:3C:4D 1.5.0"),
                          QStringLiteral("⟦a ⟦nested⟧ text⟧"), QStringLiteral("Apply"),
                          QStringLiteral("⟦Apply⟧ (3 changes)")}),
                 (QStringList{QStringLiteral("Apply"), QStringLiteral("⟦Apply⟧ (3 changes)")}));
        QCOMPARE(Text(UiText::GeneralTab), QStringLiteral("⟦Basic Config⟧"));
    }

    void theConnectedWindowIsTranslated_data() {
        QTest::addColumn<int>("model");
        QTest::newRow("Q470R") << int(sim::ModemModel::Q470R);
        QTest::newRow("KELDAN-KS410") << int(sim::ModemModel::KS410);
    }

    void theConnectedWindowIsTranslated() {
        QFETCH(int, model);
        WindowRig rig(ModemOf(static_cast<sim::ModemModel>(model)));
        QVERIFY(rig.Connect());
        QStringList texts = ShownTexts(*rig.window);

        // A value the device does not hold yet: the apply button counts it, the tooltip names the device's.
        TypeInto(Child<QLineEdit>(rig.window->GeneralPage(), QStringLiteral("panIdEdit")), QStringLiteral("70000"));
        texts << ShownTexts(rig.window->GeneralPage());
        // Refused by the rules: the box with the reasons in the core's sentences.
        Click(Child<QAbstractButton>(rig.window->GeneralPage(), QStringLiteral("applyButton")));
        QVERIFY(!rig.ui.Messages().empty());
        // The factory reset's question, answered No.
        rig.ui.answers.push_back(MessageAnswer::No);
        Click(Child<QAbstractButton>(*rig.window, QStringLiteral("factoryResetButton")));
        texts << MessageTexts(rig.ui);

        const QStringList escaped = Escaped(texts);
        QVERIFY2(escaped.isEmpty(), qPrintable(escaped.join(QStringLiteral("\n"))));
    }

    void dialogsAndFileMessagesAreTranslated() {
        WindowRig rig;
        QVERIFY(rig.Connect());
        QStringList texts;

        const ComConfigDlg connection;
        texts << ShownTexts(connection);
        const CAboutDlg about;
        texts << ShownTexts(about);

        // A configuration file that is not read (not JSON), and one with a value the rules refuse.
        const QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString broken = folder.filePath(QStringLiteral("broken.json"));
        const QString refused = folder.filePath(QStringLiteral("refused.json"));
        QFile brokenFile(broken);
        QVERIFY(brokenFile.open(QIODevice::WriteOnly));
        brokenFile.write("{\"Model Name\": \"Q470R\",");
        brokenFile.close();
        QFile refusedFile(refused);
        QVERIFY(refusedFile.open(QIODevice::WriteOnly));
        refusedFile.write("{\"Model Name\": \"Q470R\", \"General\": {\"PAN ID\": 70000}, \"Extra\": 1}");
        refusedFile.close();
        for (const QString& file : {broken, refused, folder.filePath(QStringLiteral("missing.json"))}) {
            rig.ui.fileNames.push_back(file);
            Command(rig, "loadConfigAction").trigger();
            QVERIFY(rig.WaitUntilReady());
        }
        QVERIFY(rig.ui.Messages().size() >= 3);
        texts << MessageTexts(rig.ui);

        // The traffic view, and the production station's window where the build has the station (the
        // main window gives it the port).
        Command(rig, "trafficAction").trigger();
        if (auto* station = rig.window->findChild<QAction*>(QStringLiteral("stationAction"))) station->trigger();
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top != rig.window.get() && top->isVisible()) texts << ShownTexts(*top);
        }

        const QStringList escaped = Escaped(texts);
        QVERIFY2(escaped.isEmpty(), qPrintable(escaped.join(QStringLiteral("\n"))));
    }
};

}  // namespace q470

QTEST_MAIN(q470::PseudoTranslationTest)
#include "pseudo_translation_test.moc"
