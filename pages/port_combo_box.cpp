#include "port_combo_box.h"

#include <QAbstractItemView>
#include <QScreen>
#include <QScrollBar>

#include <algorithm>

namespace q470 {

void PortComboBox::showPopup() {
    emit popupAboutToShow();
    // An entry names the adapter and both its stable names; the list opens as wide as they need (up to
    // the screen) rather than cutting them off at the box's width.
    QAbstractItemView* list = view();
    const int wanted =
        list->sizeHintForColumn(0) + 2 * list->frameWidth() + list->verticalScrollBar()->sizeHint().width();
    const int most = screen() ? screen()->availableGeometry().width() : wanted;
    list->setMinimumWidth(std::min(std::max(wanted, width()), most));
    QComboBox::showPopup();
}

}  // namespace q470
