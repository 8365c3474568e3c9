#include "port_combo_box.h"

namespace q470 {

void PortComboBox::showPopup() {
    emit popupAboutToShow();
    QComboBox::showPopup();
}

}  // namespace q470
