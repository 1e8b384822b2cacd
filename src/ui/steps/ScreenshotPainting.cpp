#include "ScreenshotPainting.h"

#include "Icons.h"
#include "KitColors.h"
#include "RegionGeometry.h"
#include "TextStyles.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QRegion>

#include <algorithm>
#include <cmath>

namespace tavlen::ui {
namespace {

constexpr int shadowLayers = 6;
constexpr double shadowBlurPoints = 12;
constexpr double shadowOffsetPoints = 4;
constexpr double dimmingAlpha = 0.3;
constexpr double borderAlpha = 0.15;

constexpr double badgeSymbolGrid = 16;

// The badge's symbol: a globe for the Open page step, an eye for a Read step.
QString badgeSymbol(StepKind kind)
{
    return kind == StepKind::openPage ? QStringLiteral("globe") : QStringLiteral("eye");
}

void paintBadge(QPainter& painter, const QRectF& region, int number, std::optional<StepKind> kind, const QColor& colour)
{
    const QString text = QString::number(number);
    const QFont font = systemFont(badgeFontPoints, QFont::DemiBold);
    QFontMetricsF metrics(font);
    const QSizeF textSize(metrics.horizontalAdvance(text), metrics.height());
    std::optional<QSizeF> iconSize;
    if (kind && hasKitIcon(badgeSymbol(*kind))) {
        iconSize = QSizeF(badgeSymbolGrid, badgeSymbolGrid);
    }
    BadgeGeometry geometry = badgeGeometry(region.topLeft(), textSize, iconSize);
    painter.fillRect(geometry.badge, colour);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(geometry.textTopLeft, textSize), Qt::AlignLeft | Qt::AlignTop, text);
    if (geometry.icon) {
        const QPixmap icon = kitIconPixmap(
            badgeSymbol(*kind), Qt::white, geometry.icon->size().toSize(), painter.device()->devicePixelRatioF());
        painter.drawPixmap(geometry.icon->topLeft(), icon);
    }
}

void paintHandles(QPainter& painter,
                  const BrowserRect& imageRect,
                  const ScreenshotPaintContext& context,
                  const QColor& colour)
{
    painter.setPen(QPen(colour, 1));
    painter.setBrush(Qt::white);
    for (HandleDirection handle : handleDirections) {
        QPointF centre = context.pageRect.topLeft() + handleCentre(imageRect, handle) * context.magnification;
        painter.drawRect(handleSquare(centre, 1));
    }
}

} // namespace

QRectF viewportRect(const BrowserRect& imageRect, const ScreenshotPaintContext& context)
{
    const double m = context.magnification;
    return {context.pageRect.left() + imageRect.x * m,
            context.pageRect.top() + imageRect.y * m,
            imageRect.width * m,
            imageRect.height * m};
}

void paintPageShadow(QPainter& painter, const ScreenshotPaintContext& context, const QRect& exposed)
{
    QRectF shadowArea = context.pageRect.adjusted(
        -shadowBlurPoints, -shadowBlurPoints, shadowBlurPoints, shadowBlurPoints + shadowOffsetPoints);
    if (!shadowArea.intersects(exposed)) {
        return;
    }
    painter.save();
    // The page covers the shadow's middle: blending it there would cost a pass over the whole viewport per layer.
    painter.setClipRegion(QRegion(exposed).subtracted(QRegion(context.pageRect.toAlignedRect())));
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    const double alpha = context.darkAppearance ? 0.6 : 0.3;
    // Layers growing outwards with falling opacity stand in for a blurred shadow; only the ring outside the page
    // shows, since the image covers the rest.
    for (int layer = shadowLayers; layer >= 1; --layer) {
        double grow = shadowBlurPoints * layer / shadowLayers;
        QColor colour(0, 0, 0);
        colour.setAlphaF(alpha / shadowLayers * (1.0 - double(layer - 1) / shadowLayers));
        painter.setBrush(colour);
        QRectF ring = context.pageRect.translated(0, shadowOffsetPoints).adjusted(-grow, -grow, grow, grow);
        painter.drawRoundedRect(ring, grow, grow);
    }
    painter.restore();
}

void paintImagePart(QPainter& painter, const QImage& image, const ScreenshotPaintContext& context, const QRect& exposed)
{
    QRectF target = context.pageRect.intersected(QRectF(exposed));
    if (target.isEmpty() || image.isNull()) {
        return;
    }
    const double m = context.magnification;
    QRectF source((target.left() - context.pageRect.left()) / m,
                  (target.top() - context.pageRect.top()) / m,
                  target.width() / m,
                  target.height() / m);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, image, source);
    painter.restore();
}

void paintRegions(QPainter& painter,
                  const std::vector<DisplayedRegion>& regions,
                  const ScreenshotPaintContext& context,
                  const QPalette& palette,
                  const QRect& exposed)
{
    painter.save();
    if (!regions.empty()) {
        // Only the exposed part of the page: a path as long as the whole page would be clipped anyway.
        QPainterPath dimmed;
        dimmed.addRect(context.pageRect.intersected(QRectF(exposed).adjusted(-1, -1, 1, 1)));
        QPainterPath holes;
        holes.setFillRule(Qt::WindingFill);
        for (const DisplayedRegion& region : regions) {
            holes.addRect(viewportRect(region.rect, context));
        }
        QColor shade(0, 0, 0);
        shade.setAlphaF(dimmingAlpha);
        painter.fillPath(dimmed.subtracted(holes), shade);
    }

    QRectF border = context.pageRect.adjusted(0.5, 0.5, -0.5, -0.5);
    if (border.width() > 0 && border.height() > 0) {
        QColor line = palette.color(QPalette::WindowText);
        line.setAlphaF(borderAlpha);
        painter.setPen(QPen(line, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(border);
    }

    for (const DisplayedRegion& region : regions) {
        const QColor colour = region.selected ? accentColor(palette) : kitColor(KitColor::orange, palette);
        const QRectF rect = viewportRect(region.rect, context);
        const double width = region.selected ? 2 : 1;
        painter.setPen(QPen(colour, width));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect);
        if (region.number) {
            paintBadge(painter, rect, *region.number, region.kind, colour);
        }
        if (region.selected) {
            paintHandles(painter, region.rect, context, colour);
        }
    }
    painter.restore();
}

} // namespace tavlen::ui
