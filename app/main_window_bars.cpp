#include "main_window_bars.h"

#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <array>

#include "artwork.h"
#include "string_table.h"
#include "window_options.h"

namespace q470 {
namespace {

// A toolbar button is its image plus this margin in both directions.
constexpr int kToolbarButtonMarginPx = 6;
constexpr int kPortPanePercent = 70;

struct CommandEntry {
    int id;
    UiText text;
    const char* name;
    char accessKey;
};

// Menu and toolbar order; the toolbar strip holds the images in the same order.
constexpr std::array<CommandEntry, 4> kCommands{{
    {MainWindowBars::kComConfigCommand, UiText::MenuComConfig, "comConfigAction", 'P'},
    {MainWindowBars::kLoadConfigCommand, UiText::MenuLoadConfig, "loadConfigAction", 'L'},
    {MainWindowBars::kSaveConfigCommand, UiText::MenuSaveConfig, "saveConfigAction", 'S'},
    {MainWindowBars::kExitCommand, UiText::MenuExit, "exitAction", 'X'},
}};

constexpr char kApplicationMenuKey = 'A';
constexpr char kReadDeviceKey = 'R';
constexpr char kTrafficKey = 'T';
[[maybe_unused]] constexpr char kStationKey = 'D';
constexpr char kHelpMenuKey = 'H';
constexpr char kVerifyKey = 'V';
constexpr char kFindAgainKey = 'C';

// A menu text with its access key (Alt+key). An English text marks the key's letter in its words
// ("&Load Config File"); a Korean one, which has no such letter, carries it in brackets at the end
// ("설정 파일 읽기(&L)"), as Korean programs do.
QString WithAccessKey(UiText text, char key) {
    const QString plain = Text(text);
    const QChar letter = QLatin1Char(key);
    const qsizetype at = plain.indexOf(letter, 0, Qt::CaseInsensitive);
    if (CurrentUiLanguage() == UiLanguage::English && at >= 0) {
        return plain.left(at) + QLatin1Char('&') + plain.mid(at);
    }
    return plain + QStringLiteral("(&") + letter.toUpper() + QLatin1Char(')');
}

// Checked as the profile says, and remembered there whenever the user changes it.
QAction* MakeOption(QMenu& menu, UiText text, char key, WindowOption option, const char* name) {
    QAction* action = menu.addAction(WithAccessKey(text, key));
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(true);
    action->setChecked(ReadWindowOption(option));
    QObject::connect(action, &QAction::toggled, action, [option](bool on) { WriteWindowOption(option, on); });
    return action;
}

QAction* MakeCommand(QWidget& owner, const CommandEntry& entry) {
    auto* action = new QAction(WithAccessKey(entry.text, entry.accessKey), &owner);
    action->setObjectName(QString::fromLatin1(entry.name));
    action->setData(entry.id);
    // A button's tooltip is the text of the menu item with the same command.
    action->setToolTip(Text(entry.text));
    return action;
}

// The strip drawn for screens of ordinary and of double pixel density, so that the images stay sharp on both.
std::array<QPixmap, 2> ToolbarStrips() {
    return {ToolbarStrip(1.0), ToolbarStrip(2.0)};
}

// Image `index` of each strip; the icon picks the one that suits the screen.
QIcon StripImage(const std::array<QPixmap, 2>& strips, int index, int imageSize) {
    QIcon icon;
    for (const QPixmap& strip : strips) {
        if (strip.isNull()) continue;
        const qreal ratio = strip.devicePixelRatio();
        const int side = qRound(imageSize * ratio);
        QPixmap image = strip.copy(index * side, 0, side, side);
        image.setDevicePixelRatio(ratio);
        icon.addPixmap(image);
    }
    return icon;
}

}  // namespace

MainWindowBars::MainWindowBars(QMainWindow& window) : QObject(&window) {
    std::array<QAction**, kCommands.size()> members{&comConfig_, &loadConfig_, &saveConfig_, &exit_};
    for (std::size_t i = 0; i < kCommands.size(); ++i) *members[i] = MakeCommand(window, kCommands[i]);
    loadConfig_->setShortcuts(QKeySequence::Open);
    saveConfig_->setShortcuts(QKeySequence::Save);
    exit_->setShortcuts(QKeySequence::Quit);
    readDevice_ = new QAction(WithAccessKey(UiText::MenuReadDevice, kReadDeviceKey), &window);
    readDevice_->setObjectName(QStringLiteral("readDeviceAction"));
    readDevice_->setToolTip(Text(UiText::MenuReadDevice));
    readDevice_->setShortcuts(QKeySequence::Refresh);
    // A shortcut of the whole window: F5 reads wherever the focus is, the traffic view's too.
    readDevice_->setShortcutContext(Qt::ApplicationShortcut);
    CreateMenu(window);
    CreateToolbar(window);
    CreateStatusBar(window);
}

void MainWindowBars::CreateMenu(QMainWindow& window) {
    QMenuBar* bar = window.menuBar();
    QMenu* menu = bar->addMenu(WithAccessKey(UiText::MenuPopup, kApplicationMenuKey));
    menu->setObjectName(QStringLiteral("applicationMenu"));
    menu->addActions({comConfig_, readDevice_, loadConfig_, saveConfig_});
    // Not a command of the toolbar: a view for people who need to see the line.
    traffic_ = menu->addAction(WithAccessKey(UiText::MenuTraffic, kTrafficKey));
    traffic_->setObjectName(QStringLiteral("trafficAction"));
    traffic_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
#ifdef Q470_HAVE_STATION
    station_ = menu->addAction(WithAccessKey(UiText::MenuStation, kStationKey));
    station_->setObjectName(QStringLiteral("stationAction"));
#endif
    menu->addSeparator();
    verifyAfterWrite_ = MakeOption(*menu, UiText::MenuVerifyAfterWrite, kVerifyKey, WindowOption::VerifyAfterWrite,
                                   "verifyAfterWriteAction");
    findDeviceAgain_ = MakeOption(*menu, UiText::MenuFindDeviceAgain, kFindAgainKey, WindowOption::FindDeviceAgain,
                                  "findDeviceAgainAction");
    menu->addSeparator();
    menu->addAction(exit_);
    const QString aboutText = Text(UiText::AboutMenuItem);
    if (aboutText.isEmpty()) return;
    QMenu* help = bar->addMenu(WithAccessKey(UiText::HelpMenu, kHelpMenuKey));
    help->setObjectName(QStringLiteral("helpMenu"));
    about_ = help->addAction(aboutText);
    about_->setObjectName(QStringLiteral("aboutAction"));
    about_->setMenuRole(QAction::AboutRole);
}

void MainWindowBars::CreateToolbar(QMainWindow& window) {
    toolbar_ = window.addToolBar(QString());
    toolbar_->setObjectName(QStringLiteral("toolbar"));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->toggleViewAction()->setEnabled(false);
    const std::array<QPixmap, 2> strips = ToolbarStrips();
    const QPixmap& strip = strips.front();
    const int imageSize = strip.isNull() ? kToolbarImageSizePx : strip.height();
    toolbar_->setIconSize(QSize(imageSize, imageSize));
    const std::array<QAction*, kCommands.size()> actions{comConfig_, loadConfig_, saveConfig_, exit_};
    for (std::size_t i = 0; i < actions.size(); ++i) {
        actions[i]->setIcon(StripImage(strips, static_cast<int>(i), imageSize));
        toolbar_->addAction(actions[i]);
        QWidget* button = toolbar_->widgetForAction(actions[i]);
        button->setObjectName(
            QString::fromLatin1(kCommands[i].name).replace(QStringLiteral("Action"), QStringLiteral("Button")));
        button->setFixedSize(imageSize + kToolbarButtonMarginPx, imageSize + kToolbarButtonMarginPx);
    }
    // Read Device, the one command that is not in the strip, takes the style's own reload image.
    readDevice_->setIcon(window.style()->standardIcon(QStyle::SP_BrowserReload));
    toolbar_->insertAction(loadConfig_, readDevice_);
    toolbar_->widgetForAction(readDevice_)->setObjectName(QStringLiteral("readDeviceButton"));
    toolbar_->widgetForAction(readDevice_)
        ->setFixedSize(imageSize + kToolbarButtonMarginPx, imageSize + kToolbarButtonMarginPx);
    // The menu shows the texts; the icons belong to the toolbar.
    for (QAction* action : actions) action->setIconVisibleInMenu(false);
    readDevice_->setIconVisibleInMenu(false);
}

void MainWindowBars::CreateStatusBar(QMainWindow& window) {
    QStatusBar* bar = window.statusBar();
    bar->setSizeGripEnabled(false);
    portPane_ = new QLabel(Text(UiText::PortClosed), bar);
    portPane_->setObjectName(QStringLiteral("portStatePane"));
    versionPane_ = new QLabel(Text(UiText::VersionPane), bar);
    versionPane_->setObjectName(QStringLiteral("versionPane"));
    // A little room from the window's edge and between the panes. The panes share the bar's width
    // whatever their texts, so that a long port name never holds the window wide.
    for (QLabel* pane : {portPane_, versionPane_}) {
        pane->setIndent(pane->fontMetrics().averageCharWidth());
        pane->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    bar->addWidget(portPane_, kPortPanePercent);
    bar->addWidget(versionPane_, 100 - kPortPanePercent);
    versionPane_->clear();
    waitCancel_ = new QPushButton(Text(UiText::CancelButton), bar);
    waitCancel_->setObjectName(QStringLiteral("waitCancelButton"));
    bar->addPermanentWidget(waitCancel_);
    waitCancel_->hide();
}

void MainWindowBars::SetCommandsEnabled(bool comConfig, bool deviceCommands) {
    comConfig_->setEnabled(comConfig);
    readDevice_->setEnabled(deviceCommands);
    loadConfig_->setEnabled(deviceCommands);
    saveConfig_->setEnabled(deviceCommands);
    exit_->setEnabled(true);
}

void MainWindowBars::SetPortState(const QString& text) {
    portPane_->setText(text);
    portPane_->setToolTip(text);  // the whole text where the pane is too narrow for it
}

void MainWindowBars::SetVersion(const QString& text) {
    versionPane_->setText(text);
}

void MainWindowBars::ShowWaiting(const QString& text) {
    SetPortState(text);
    waitCancel_->setEnabled(true);
    waitCancel_->show();
}

void MainWindowBars::EndWaiting() {
    waitCancel_->hide();
}

}  // namespace q470
