#pragma once

#include <QDialog>
#include <QStringList>
#include <atomic>
#include <chrono>
#include <cstdint>

#include "traffic_log.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace q470 {

// The window's view of the traffic on the line: every line sent and received with the time of day it
// went or came, live and without ever holding up a job. The link's observer adds to the log only while
// the view is shown; the view takes what is new a few times a second and keeps the newest lines only.
// A filter shows only the lines that contain its text; a reader who has scrolled up keeps his place
// while lines come in. Clear, Copy, and Save (through the UI services) act on the lines shown.
//
// The command field sends a typed line to the device (commandEntered) and keeps the lines sent, which
// Up and Down bring back. The owner enables it only while the port is open and no job runs.
class TrafficView : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMaxLines = 2000;
    static constexpr int kMaxHistory = 100;

    TrafficView(TrafficLog& log, std::atomic<bool>& recording, QWidget* parent);

    QPlainTextEdit& Lines() const { return *text_; }
    QLineEdit& Command() const { return *command_; }
    // Takes what the log holds that is new; the timer calls it, tests may call it directly.
    void TakeNew();
    void SetCommandEnabled(bool enable);
    // Before the first showing: beside `main` on its screen, not over it.
    void PlaceBeside(const QWidget& main);

signals:
    void commandEntered(const QString& command);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* CreateCommandRow();
    QString Format(const TrafficLog::Entry& entry) const;
    bool Shows(const QString& line) const;
    void ShowFiltered();
    void Send();
    void StepHistory(int step);
    void Clear();
    void Copy();
    void Save();

    TrafficLog& log_;
    std::atomic<bool>& recording_;
    // The time of day of a line is the moment it went or came, told from the link's steady clock.
    const std::chrono::system_clock::time_point wallAnchor_ = std::chrono::system_clock::now();
    const std::chrono::steady_clock::time_point steadyAnchor_ = std::chrono::steady_clock::now();
    std::uint64_t next_ = 0;
    QStringList lines_;  // every line taken, newest last, whatever the filter shows
    QStringList history_;
    int historyAt_ = 0;  // history_.size() while the field holds a line being typed
    QString typing_;     // what was typed before Up brought back an earlier line
    QPlainTextEdit* text_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QLineEdit* command_ = nullptr;
    QPushButton* send_ = nullptr;
    QTimer* poll_ = nullptr;
};

}  // namespace q470
