#include "tab_chain.h"

#include <QWidget>

namespace q470 {

void SetTabChain(const std::vector<QWidget*>& widgets) {
    for (std::size_t i = 1; i < widgets.size(); ++i) QWidget::setTabOrder(widgets[i - 1], widgets[i]);
}

}  // namespace q470
