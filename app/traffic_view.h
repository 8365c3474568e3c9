#pragma once

#include <QDialog>
#include <atomic>
#include <cstdint>

#include "traffic_log.h"

class QPlainTextEdit;
class QTimer;

namespace q470 {

// The window's view of the traffic on the line: every line sent and received, as the command-line
// tool's trace shows them, live and without ever holding up a job. The link's observer adds to the
// log only while the view is shown; the view takes what is new a few times a second and keeps the
// newest lines only. Clear, Copy, and Save (through the UI services).
class TrafficView : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMaxLines = 2000;

    TrafficView(TrafficLog& log, std::atomic<bool>& recording, QWidget* parent);

    QPlainTextEdit& Lines() const { return *text_; }
    // Takes what the log holds that is new; the timer calls it, tests may call it directly.
    void TakeNew();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Clear();
    void Copy();
    void Save();

    TrafficLog& log_;
    std::atomic<bool>& recording_;
    std::uint64_t next_ = 0;
    QPlainTextEdit* text_ = nullptr;
    QTimer* poll_ = nullptr;
};

}  // namespace q470
