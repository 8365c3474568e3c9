#include "page_scroll_area.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace q470 {

PageScrollArea::PageScrollArea(QWidget* column, QWidget* parent) : QScrollArea(parent) {
    setObjectName(QStringLiteral("pageScrollArea"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    // Tab goes from control to control; the area scrolls to the one that takes the focus.
    setFocusPolicy(Qt::NoFocus);

    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("pageContent"));
    // Never smaller than the column wants: below that the area scrolls.
    content->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(column);
    row->addStretch();
    auto* layout = new QVBoxLayout(content);
    layout->addLayout(row);
    layout->addStretch();
    setWidget(content);
}

bool PageScrollArea::eventFilter(QObject* watched, QEvent* event) {
    if (watched == widget() && event->type() == QEvent::LayoutRequest) updateGeometry();
    return QScrollArea::eventFilter(watched, event);
}

QSize PageScrollArea::sizeHint() const {
    const int frame = 2 * frameWidth();
    return widget()->sizeHint() + QSize(frame, frame);
}

}  // namespace q470
