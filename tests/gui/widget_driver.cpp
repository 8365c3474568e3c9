#include "widget_driver.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <stdexcept>

namespace q470 {

bool ChooseItem(QComboBox& list, const QString& text) {
    if (list.findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0) return false;
    QTest::keyClick(&list, Qt::Key_Home);
    for (int step = 0; step < list.count() && list.currentText() != text; ++step) QTest::keyClick(&list, Qt::Key_Down);
    return list.currentText() == text;
}

void TypeInto(QLineEdit& edit, const QString& text) {
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClicks(&edit, text);
}

void Click(QAbstractButton& button) {
    // A click lands where the button is drawn, which needs a laid-out, visible window.
    if (!button.isVisible()) throw std::runtime_error("clicking a hidden button " + button.objectName().toStdString());
    QTest::mouseClick(&button, Qt::LeftButton);
}

QStringList ItemTexts(const QComboBox& list) {
    QStringList texts;
    for (int i = 0; i < list.count(); ++i) texts << list.itemText(i);
    return texts;
}

}  // namespace q470
