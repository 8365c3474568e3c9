#pragma once

#include <QFrame>
#include <QPixmap>
#include <QString>

#include "station_event.h"

class QLabel;

namespace q470 {

// One fixture of the station window: its port, and what it is doing as an icon and words (never by
// colour alone): waiting for a unit, working (the step), passed (the unit's address), failed (why),
// skipped.
class StationTile : public QFrame {
public:
    explicit StationTile(const QString& port, QWidget* parent = nullptr);

    // Takes in an event of this tile's port.
    void Show(const StationEvent& event);

    const QString& Port() const { return port_; }
    QString StateText() const;
    QString DetailText() const;
    // The state's icon as shown.
    QPixmap Icon() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    enum class Look { Waiting, Working, Passed, Failed, Skipped, Attention, Done };
    void Set(Look look, const QString& words, const QString& detail = {});
    void ShowIcon();

    QString port_;
    Look look_ = Look::Waiting;
    QLabel* icon_ = nullptr;
    QLabel* state_ = nullptr;
    QLabel* detail_ = nullptr;
    bool holdsResult_ = false;  // the last unit's result stays shown until the next unit starts
};

// The step in the window's words ("writing the profile").
QString StationStepText(UnitStep step);

}  // namespace q470
