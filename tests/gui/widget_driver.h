#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <stdexcept>

class QAbstractButton;
class QComboBox;
class QLineEdit;

namespace q470 {

// Drives widgets the way a user does, through key and mouse events, so that disabled widgets stay
// untouched and the widgets' own user-choice signals fire.

// Moves the list's selection to the item with `text` with the arrow keys; false when no item has it
// (or the list does not react, for example because it is disabled).
bool ChooseItem(QComboBox& list, const QString& text);
// Replaces the edit's text by typing.
void TypeInto(QLineEdit& edit, const QString& text);
void Click(QAbstractButton& button);

QStringList ItemTexts(const QComboBox& list);

// The named child, failing the running test when it is missing.
template <typename T>
T& Child(const QWidget& parent, const QString& name) {
    T* child = parent.findChild<T*>(name);
    if (child == nullptr) throw std::runtime_error("no child widget " + name.toStdString());
    return *child;
}

}  // namespace q470
