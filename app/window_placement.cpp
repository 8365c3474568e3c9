#include "window_placement.h"

#include <algorithm>

namespace q470 {

QPoint BesidePosition(const QRect& main, const QSize& size, const QRect& available) {
    int x = 0;
    if (available.right() - main.right() >= size.width()) {
        x = main.right() + 1;
    } else if (main.left() - available.left() >= size.width()) {
        x = main.left() - size.width();
    } else {
        x = std::max(available.left(), available.right() + 1 - size.width());
    }
    const int lowest = std::max(available.top(), available.bottom() + 1 - size.height());
    const int y = std::clamp(main.top(), available.top(), lowest);
    return {x, y};
}

}  // namespace q470
