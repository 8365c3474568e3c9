#include "change_mark.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QPalette>
#include <QVariant>

#include "string_table.h"

namespace q470 {
namespace {

const char* const kChanged = "q470Changed";
const char* const kPlainText = "q470PlainText";
const char* const kPlainTip = "q470PlainTip";
const QLatin1String kMarker(" *");

QString ShownText(const QWidget& widget) {
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) return button->text();
    return {};
}

void SetShownText(QWidget& widget, const QString& text) {
    if (auto* label = qobject_cast<QLabel*>(&widget)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(&widget)) {
        button->setText(text);
    }
}

bool ShowsText(const QWidget& widget) {
    return qobject_cast<const QLabel*>(&widget) != nullptr || qobject_cast<const QAbstractButton*>(&widget) != nullptr;
}

// The link colour of the palette the widget would have without a mark; a disabled control keeps the
// palette's disabled text, which stays readable.
QPalette MarkedPalette(const QWidget& widget) {
    QPalette palette = widget.parentWidget() != nullptr ? widget.parentWidget()->palette() : widget.palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        const QColor link = palette.color(group, QPalette::Link);
        for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
            palette.setColor(group, role, link);
        }
    }
    return palette;
}

}  // namespace

void SetChangeMark(QWidget& widget, bool changed, const QString& deviceValue) {
    if (!widget.property(kChanged).isValid()) {
        // The first time: remember what the widget shows unmarked.
        widget.setProperty(kPlainText, ShownText(widget));
        widget.setProperty(kPlainTip, widget.toolTip());
    }
    const bool was = widget.property(kChanged).toBool();
    widget.setProperty(kChanged, changed);
    const QString plainTip = widget.property(kPlainTip).toString();
    if (changed) {
        const QString line =
            FormatText(UiText::DeviceValueTip,
                       (deviceValue.isEmpty() ? Text(UiText::DeviceValueNone) : deviceValue).toUtf8().constData());
        widget.setToolTip(plainTip.isEmpty() ? line : plainTip + QLatin1Char('\n') + line);
    } else {
        widget.setToolTip(plainTip);
    }
    if (changed == was || !ShowsText(widget)) return;
    const QString plain = widget.property(kPlainText).toString();
    SetShownText(widget, changed ? plain + kMarker : plain);
    QFont font = widget.font();
    font.setBold(changed);
    widget.setFont(font);
    widget.setPalette(changed ? MarkedPalette(widget) : QPalette());
}

bool HasChangeMark(const QWidget& widget) {
    return widget.property(kChanged).toBool();
}

QString UnmarkedText(const QWidget& widget) {
    return widget.property(kChanged).isValid() ? widget.property(kPlainText).toString() : ShownText(widget);
}

QString ApplyText(int changes) {
    if (changes <= 0) return Text(UiText::Apply);
    if (changes == 1) return Text(UiText::ApplyOneChange);
    return FormatText(UiText::ApplyChanges, static_cast<unsigned>(changes));
}

QLabel* LabelFor(const QWidget& page, const QWidget& control) {
    for (QLabel* label : page.findChildren<QLabel*>()) {
        if (label->buddy() == &control) return label;
    }
    return nullptr;
}

QString ItemTextFor(const QComboBox& list, qint64 value) {
    for (int index = 0; index < list.count(); ++index) {
        bool ok = false;
        if (list.itemData(index).toLongLong(&ok) == value && ok) return list.itemText(index);
    }
    return QString::number(value);
}

}  // namespace q470
