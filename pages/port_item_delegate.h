#pragma once

#include <QStyledItemDelegate>

namespace q470 {

// Draws a port list entry as its name followed, in a quieter colour, by what is behind the port (the
// item's PortDescriptionRole), so the drop-down list says which adapter each port is.
class PortItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int PortDescriptionRole = Qt::UserRole + 1;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace q470
