#include "artwork.h"

#include <QPainter>
#include <QSvgRenderer>
#include <array>
#include <mutex>

// Resources of a static library are registered by hand; the macro must be used outside any namespace.
static void RegisterArtworkResources() {
    Q_INIT_RESOURCE(artwork);
}

namespace q470 {
namespace {

constexpr std::array<int, 6> kIconSizesPx{16, 24, 32, 48, 64, 96};
// At this size and below the simplified drawing stays readable where the full one blurs.
constexpr int kSmallIconLimitPx = 16;

void EnsureResources() {
    static std::once_flag once;
    std::call_once(once, RegisterArtworkResources);
}

}  // namespace

QPixmap RenderSvg(const QString& resourcePath, const QSize& sizePx) {
    EnsureResources();
    QSvgRenderer renderer(resourcePath);
    if (!renderer.isValid()) return {};
    QPixmap pixmap(sizePx);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    return pixmap;
}

QIcon AppIcon() {
    QIcon icon;
    for (int size : kIconSizesPx) {
        const QString source = size <= kSmallIconLimitPx ? QStringLiteral(":/q470/app_icon_small.svg")
                                                         : QStringLiteral(":/q470/app_icon.svg");
        icon.addPixmap(RenderSvg(source, QSize(size, size)));
    }
    return icon;
}

QPixmap ToolbarStrip(qreal devicePixelRatio) {
    const QSize size(kToolbarImageSizePx * kToolbarImageCount, kToolbarImageSizePx);
    QPixmap strip = RenderSvg(QStringLiteral(":/q470/toolbar_strip.svg"), size * devicePixelRatio);
    strip.setDevicePixelRatio(devicePixelRatio);
    return strip;
}

}  // namespace q470
