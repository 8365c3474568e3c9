#pragma once

#include <QComboBox>

namespace q470 {

// A drop-down list that announces each drop-down before it opens, so that its owner can refill it
// with the ports present at that moment, and opens wide enough for what the entries say.
class PortComboBox : public QComboBox {
    Q_OBJECT

public:
    using QComboBox::QComboBox;

    void showPopup() override;

signals:
    void popupAboutToShow();
};

}  // namespace q470
