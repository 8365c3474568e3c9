#pragma once

#include <QObject>

class QAction;
class QLabel;
class QPushButton;
class QMainWindow;
class QToolBar;

namespace q470 {

// The main window's menu, toolbar and status bar. The menu's port-settings, load, save and exit
// commands are shared with the toolbar, so a toolbar button is enabled exactly when its menu item is.
// Read Device sits beside the port settings in both; it is enabled exactly when load and save are.
// Every menu and command has an access key; read (F5), load, save, exit and the traffic view have
// shortcuts.
// Pane 0 of the status bar takes 70 % of its width, pane 1 the rest.
class MainWindowBars : public QObject {
public:
    // The window's command identifiers, kept from the resource numbering for the toolbar's order.
    static constexpr int kComConfigCommand = 32772;
    static constexpr int kLoadConfigCommand = 32773;
    static constexpr int kSaveConfigCommand = 32774;
    static constexpr int kExitCommand = 57665;

    explicit MainWindowBars(QMainWindow& window);

    QAction& ComConfigAction() const { return *comConfig_; }
    QAction& LoadConfigAction() const { return *loadConfig_; }
    QAction& SaveConfigAction() const { return *saveConfig_; }
    QAction& ExitAction() const { return *exit_; }
    QAction& ReadDeviceAction() const { return *readDevice_; }
    QAction& TrafficAction() const { return *traffic_; }
    // Nothing where the program has no production station.
    QAction* StationAction() const { return station_; }
    // The options of the menu, checkable and remembered in the profile as they change.
    QAction& VerifyAfterWriteAction() const { return *verifyAfterWrite_; }
    QAction& FindDeviceAgainAction() const { return *findDeviceAgain_; }
    // Nothing when the about entry's text is empty.
    QAction* AboutAction() const { return about_; }

    // Exit is never disabled.
    void SetCommandsEnabled(bool comConfig, bool deviceCommands);
    void SetPortState(const QString& text);
    void SetVersion(const QString& text);
    // While the window waits for the device to come back: what it waits for, and a Cancel button beside
    // it. EndWaiting hides the button; the port pane's text is the caller's again.
    void ShowWaiting(const QString& text);
    void EndWaiting();
    QPushButton& WaitCancelButton() const { return *waitCancel_; }

private:
    void CreateMenu(QMainWindow& window);
    void CreateToolbar(QMainWindow& window);
    void CreateStatusBar(QMainWindow& window);

    QAction* comConfig_ = nullptr;
    QAction* loadConfig_ = nullptr;
    QAction* saveConfig_ = nullptr;
    QAction* exit_ = nullptr;
    QAction* readDevice_ = nullptr;
    QAction* traffic_ = nullptr;
    QAction* station_ = nullptr;
    QAction* about_ = nullptr;
    QAction* verifyAfterWrite_ = nullptr;
    QAction* findDeviceAgain_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QLabel* portPane_ = nullptr;
    QLabel* versionPane_ = nullptr;
    QPushButton* waitCancel_ = nullptr;
};

}  // namespace q470
