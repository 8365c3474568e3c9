#include "port_item_delegate.h"

#include <QApplication>
#include <QPainter>

namespace q470 {
namespace {

constexpr int kGapChars = 3;  // between the name and its description

QString DescriptionOf(const QModelIndex& index) {
    return index.data(PortItemDelegate::PortDescriptionRole).toString();
}

int Gap(const QFontMetrics& metrics) {
    return metrics.horizontalAdvance(QLatin1Char(' ')) * kGapChars;
}

}  // namespace

void PortItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const QString description = DescriptionOf(index);
    if (description.isEmpty()) return;
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QFontMetrics& metrics = item.fontMetrics;
    QRect area = item.rect.adjusted(metrics.horizontalAdvance(item.text) + Gap(metrics) + 4, 0, 0, 0);
    const bool selected = item.state & QStyle::State_Selected;
    painter->save();
    painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::PlaceholderText));
    painter->drawText(area, Qt::AlignVCenter | Qt::AlignLeft,
                      metrics.elidedText(description, Qt::ElideRight, area.width()));
    painter->restore();
}

QSize PortItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const QString description = DescriptionOf(index);
    if (!description.isEmpty()) size.rwidth() += Gap(option.fontMetrics) + option.fontMetrics.horizontalAdvance(description);
    return size;
}

}  // namespace q470
