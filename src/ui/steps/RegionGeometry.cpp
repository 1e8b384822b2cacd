#include "RegionGeometry.h"

#include "ScreenshotZoom.h"

#include <algorithm>
#include <cmath>

namespace tavlen::ui {
namespace {

constexpr double badgePaddingPoints = 4;
constexpr double badgeIconSidePoints = 12;
constexpr double badgeMinimumHeightPoints = 18;

double coordinateAt(double minimum, double extent, int direction)
{
    return direction < 0 ? minimum : direction > 0 ? minimum + extent : minimum + extent / 2;
}

} // namespace

QRectF toQRectF(const BrowserRect& rect)
{
    return {rect.x, rect.y, rect.width, rect.height};
}

BrowserRect toBrowserRect(const QRectF& rect)
{
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

QPointF imagePointOnImage(QPointF documentPoint, QSizeF image)
{
    return {std::min(image.width(), std::max(documentPoint.x(), 0.0)),
            std::min(image.height(), std::max(documentPoint.y(), 0.0))};
}

QPointF handleCentre(const BrowserRect& rect, HandleDirection handle)
{
    return {coordinateAt(rect.x, rect.width, handle.x), coordinateAt(rect.y, rect.height, handle.y)};
}

std::optional<HandleDirection> handleAt(const BrowserRect& rect, QPointF point, double magnification)
{
    double tolerance = imagePixelsForPoints(handleHitTolerancePoints, magnification);
    for (HandleDirection handle : handleDirections) {
        QPointF centre = handleCentre(rect, handle);
        if (std::abs(point.x() - centre.x()) <= tolerance && std::abs(point.y() - centre.y()) <= tolerance) {
            return handle;
        }
    }
    return std::nullopt;
}

bool rectContains(const BrowserRect& rect, QPointF point)
{
    return point.x() >= rect.x && point.x() < rect.x + rect.width && point.y() >= rect.y &&
           point.y() < rect.y + rect.height;
}

BrowserRect resizedRect(const BrowserRect& original, HandleDirection handle, QPointF pointer)
{
    double left = handle.x < 0 ? pointer.x() : original.x;
    double right = handle.x > 0 ? pointer.x() : original.x + original.width;
    double top = handle.y < 0 ? pointer.y() : original.y;
    double bottom = handle.y > 0 ? pointer.y() : original.y + original.height;
    return {std::min(left, right), std::min(top, bottom), std::abs(right - left), std::abs(bottom - top)};
}

BrowserRect movedRect(const BrowserRect& original, QPointF start, QPointF pointer, QSizeF image)
{
    double x =
        std::min(std::max(image.width() - original.width, 0.0), std::max(pointer.x() - start.x() + original.x, 0.0));
    double y =
        std::min(std::max(image.height() - original.height, 0.0), std::max(pointer.y() - start.y() + original.y, 0.0));
    return {x, y, original.width, original.height};
}

BrowserRect createdRect(QPointF start, QPointF pointer)
{
    return {std::min(pointer.x(), start.x()),
            std::min(pointer.y(), start.y()),
            std::abs(pointer.x() - start.x()),
            std::abs(pointer.y() - start.y())};
}

BadgeGeometry badgeGeometry(QPointF regionTopLeft, QSizeF textSize, std::optional<QSizeF> iconSize)
{
    constexpr double pad = badgePaddingPoints;
    constexpr double side = badgeIconSidePoints;
    double width = textSize.width() + 2 * pad + (iconSize ? pad + side : 0);
    double height = std::max(badgeMinimumHeightPoints, textSize.height() + pad);
    BadgeGeometry geometry;
    geometry.badge = QRectF(regionTopLeft, QSizeF(width, height));
    geometry.textTopLeft = QPointF(geometry.badge.left() + pad, geometry.badge.center().y() - textSize.height() / 2);
    if (iconSize && iconSize->width() > 0 && iconSize->height() > 0) {
        double k = std::min(side / iconSize->height(), side / iconSize->width());
        QSizeF drawn = *iconSize * k;
        geometry.icon = QRectF(QPointF(geometry.badge.right() - pad - side / 2 - drawn.width() / 2,
                                       geometry.badge.center().y() - drawn.height() / 2),
                               drawn);
    }
    return geometry;
}

QRectF handleSquare(QPointF centre, double magnification)
{
    double side = imagePixelsForPoints(handleSidePoints, magnification);
    return {centre.x() - side / 2, centre.y() - side / 2, side, side};
}

} // namespace tavlen::ui
