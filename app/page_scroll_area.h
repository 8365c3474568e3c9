#pragma once

#include <QScrollArea>

namespace q470 {

// Holds the identity box and the tab pages at their natural size: on a small screen or in a small
// window they scroll instead of being squeezed, cut off or laid over each other; in a large one they
// keep their shape and the room left over stays empty.
class PageScrollArea : public QScrollArea {
public:
    // Takes `column` (the identity box, the notice and the tabs, one above the other).
    explicit PageScrollArea(QWidget* column, QWidget* parent = nullptr);

    // The whole column: the window opens as large as its pages when the screen has the room.
    QSize sizeHint() const override;

protected:
    // The column growing (a notice shown) makes the area's own size hint grow with it.
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace q470
