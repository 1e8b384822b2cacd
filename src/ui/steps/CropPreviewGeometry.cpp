#include "CropPreviewGeometry.h"

#include <algorithm>
#include <cmath>

namespace tavlen::ui {
namespace {

constexpr double fittedTolerance = 0.000001;
constexpr double maximumWheelExponent = 4;
constexpr double wheelLineFactor = 0.1;
constexpr double precisePixelFactor = 0.01;

double clampAxis(double origin, double scaledExtent, double boundsExtent)
{
    if (scaledExtent <= boundsExtent) {
        return (boundsExtent - scaledExtent) / 2;
    }
    return std::clamp(origin, boundsExtent - scaledExtent, 0.0);
}

bool isEmpty(QSizeF size)
{
    return !(size.width() > 0) || !(size.height() > 0);
}

} // namespace

QSizeF cropIdealSize(QSizeF image, std::optional<double> proposedWidth, std::optional<double> proposedHeight)
{
    if (isEmpty(image)) {
        return {0, 0};
    }
    double width = proposedWidth ? std::min(*proposedWidth, cropPreviewMaximumWidth) : cropPreviewMaximumWidth;
    double height = proposedHeight ? std::min(*proposedHeight, cropPreviewMaximumHeight) : cropPreviewMaximumHeight;
    double scale = std::clamp(std::min(width / image.width(), height / image.height()), 0.0, cropMaximumScale);
    return image * scale;
}

double cropFitScale(QSizeF bounds, QSizeF image)
{
    if (isEmpty(bounds) || isEmpty(image)) {
        return 1;
    }
    return std::min({bounds.height() / image.height(), bounds.width() / image.width(), cropMaximumScale});
}

QPointF clampedCropOrigin(QPointF origin, double scale, QSizeF bounds, QSizeF image)
{
    return {clampAxis(origin.x(), image.width() * scale, bounds.width()),
            clampAxis(origin.y(), image.height() * scale, bounds.height())};
}

CropZoom fittedCrop(QSizeF bounds, QSizeF image)
{
    double scale = cropFitScale(bounds, image);
    return {scale, clampedCropOrigin({0, 0}, scale, bounds, image)};
}

CropZoom zoomedCrop(const CropZoom& current, double factor, QPointF point, QSizeF bounds, QSizeF image)
{
    if (isEmpty(image) || !std::isfinite(factor) || !(factor > 0)) {
        return current;
    }
    double scale = std::min(std::max(cropFitScale(bounds, image), factor * current.scale), cropMaximumScale);
    double k = scale / current.scale;
    QPointF origin = point - (point - current.origin) * k;
    return {scale, clampedCropOrigin(origin, scale, bounds, image)};
}

CropZoom resizedCrop(const CropZoom& current, QSizeF oldBounds, QSizeF newBounds, QSizeF image)
{
    if (std::abs(current.scale - cropFitScale(oldBounds, image)) < fittedTolerance) {
        return fittedCrop(newBounds, image);
    }
    double scale = std::min(std::max(cropFitScale(newBounds, image), current.scale), cropMaximumScale);
    QPointF oldCentre(oldBounds.width() / 2, oldBounds.height() / 2);
    QPointF newCentre(newBounds.width() / 2, newBounds.height() / 2);
    QPointF origin = newCentre - (oldCentre - current.origin) / current.scale * scale;
    return {scale, clampedCropOrigin(origin, scale, newBounds, image)};
}

CropZoom pannedCrop(const CropZoom& current, QPointF panOrigin, QPointF translation, QSizeF bounds, QSizeF image)
{
    return {current.scale, clampedCropOrigin(panOrigin + translation, current.scale, bounds, image)};
}

double cropWheelFactor(double delta, bool precise)
{
    double exponent = delta * (precise ? precisePixelFactor : wheelLineFactor);
    return std::exp(std::clamp(exponent, -maximumWheelExponent, maximumWheelExponent));
}

bool cropDragPans(QPointF translation)
{
    return std::hypot(translation.x(), translation.y()) >= cropPanThreshold;
}

} // namespace tavlen::ui
