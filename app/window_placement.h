#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace q470 {

// Where a window of `size` goes beside `main` (frame rectangles) on a screen whose free area is
// `available`: to its right when there is room, otherwise to its left, otherwise at the free area's
// right edge, over the main window as little as the screen allows. Its top is the main window's, kept
// on the screen.
QPoint BesidePosition(const QRect& main, const QSize& size, const QRect& available);

}  // namespace q470
