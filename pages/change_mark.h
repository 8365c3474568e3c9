#pragma once

#include <QString>
#include <QtGlobal>

class QComboBox;
class QLabel;
class QWidget;

namespace q470 {

// Marks a control whose value differs from what the device last reported, or takes the mark away.
// A label, radio button or check box shows the mark itself: bold, a trailing " *" and the palette's
// link colour, so that the mark never rests on colour alone and suits a light and a dark palette.
// Every marked widget's tooltip adds the device's value to its own tooltip.
void SetChangeMark(QWidget& widget, bool changed, const QString& deviceValue = {});
bool HasChangeMark(const QWidget& widget);
// The text a label or button had before it was marked.
QString UnmarkedText(const QWidget& widget);

// Apply's text with the number of values it will change.
QString ApplyText(int changes);

// The label among `page`'s children whose buddy is `control`.
QLabel* LabelFor(const QWidget& page, const QWidget& control);

// The text of the list's item that holds `value`, the number itself when no item does.
QString ItemTextFor(const QComboBox& list, qint64 value);

}  // namespace q470
