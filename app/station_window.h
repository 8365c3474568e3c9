#pragma once

#include <QString>
#include <QWidget>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "com_config_dlg.h"
#include "station_event.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollArea;
class QSpinBox;
class QTableWidget;
class QTimer;
class QGridLayout;

namespace q470 {

class StationTile;

// The production station for an operator: choose the profile, the fixtures and how units are checked,
// press Start and watch one tile per fixture, the counts and the latest records. It drives the core
// station (its own threads do all device and record work) and shows its events; Stop lets the units at
// work finish their current step. The setup is remembered in the profile of settings.
class StationWindow : public QWidget {
    Q_OBJECT

public:
    explicit StationWindow(const QString& profile = {},
                           ComConfigDlg::PortEnumerator enumeratePorts = EnumerateSerialPorts,
                           QWidget* parent = nullptr);
    ~StationWindow() override;  // stops a running station and waits for its units' current step

    // Opens the station window (one per program) beside `owner`, with `profile` chosen when given.
    static StationWindow* Open(QWidget* owner, const QString& profile = {});

    // Checks the setup and starts; false, after saying why, when it cannot.
    bool Start();
    // Units at work finish their current step and are recorded; then the station ends.
    void Stop();
    bool Running() const { return run_ != nullptr; }
    // Writes the whole record as CSV to a file the user chooses.
    void ExportCsv();

    // What tests and screenshots look at.
    StationTile* TileFor(const QString& port) const;
    std::size_t TileCount() const { return tiles_.size(); }
    QTableWidget& Records() const { return *records_; }
    QString CountsText() const;
    // Fixtures listed for choice, by the name the station uses for each.
    QListWidget& FixtureList() const { return *fixtures_; }
    // Sets the profile, the typed paths and the log file as if typed.
    void SetProfilePath(const QString& path);
    void SetTypedPaths(const QString& paths);
    void SetLogFile(const QString& path);

signals:
    void ended();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Run;

    void CreateControls();
    void FillFixtures();
    void LoadSetup();
    void SaveSetup() const;
    void SetSetupEnabled(bool enabled);
    std::vector<std::string> ChosenPorts() const;
    void OnEvent(const StationEvent& event);
    StationTile& Tile(const std::string& port);
    void AddRecord(const StationEvent& event);
    void ShowCounts(const StationCounts& counts);
    void OnEnded();
    QString LogTarget() const;

    ComConfigDlg::PortEnumerator enumeratePorts_;
    QLineEdit* profile_ = nullptr;
    QListWidget* fixtures_ = nullptr;
    QLineEdit* typedPaths_ = nullptr;
    QCheckBox* everyUsbPort_ = nullptr;
    QCheckBox* verify_ = nullptr;
    QSpinBox* retries_ = nullptr;
    QLineEdit* logFile_ = nullptr;
    QWidget* setup_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* export_ = nullptr;
    QLabel* counts_ = nullptr;
    QLabel* notice_ = nullptr;
    QGridLayout* tileGrid_ = nullptr;
    QTableWidget* records_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QTimer* clock_ = nullptr;
    std::map<std::string, StationTile*> tiles_;
    std::unique_ptr<Run> run_;  // last: its threads call into the window until it is gone
};

}  // namespace q470
