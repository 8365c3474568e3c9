#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace q470 {

constexpr int kToolbarImageSizePx = 32;
constexpr int kToolbarImageCount = 4;  // port settings, load, save, exit

// The window icon with images of 16, 24, 32, 48, 64 and 96 pixels.
QIcon AppIcon();

// The toolbar's 128 x 32 image strip with transparency, drawn from its vector source; at a device-pixel
// ratio above 1 it has that many more pixels and the same size on screen.
QPixmap ToolbarStrip(qreal devicePixelRatio = 1.0);

// One compiled-in vector image (":/q470/...svg") drawn at the given size on a transparent pixmap; a null
// pixmap when the image cannot be read.
QPixmap RenderSvg(const QString& resourcePath, const QSize& sizePx);

}  // namespace q470
