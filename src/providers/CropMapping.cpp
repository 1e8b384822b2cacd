#include "CropMapping.h"

#include "ReadingFailure.h"

#include <algorithm>
#include <cmath>

namespace tavlen {
namespace {

struct Edges
{
    double minX, minY, maxX, maxY;
};

Edges edgesOf(const BrowserRect& rect)
{
    const double x = rect.width < 0 ? rect.x + rect.width : rect.x;
    const double y = rect.height < 0 ? rect.y + rect.height : rect.y;
    return {x, y, x + std::abs(rect.width), y + std::abs(rect.height)};
}

double roundedToTenth(double value)
{
    const double rounded = std::round(value * 10) / 10;
    if (!std::isfinite(rounded)) {
        throw ReadingFailure::regionNotPrepared();
    }
    return rounded;
}

} // namespace

std::optional<BrowserRect> overlapOf(const BrowserRect& a, const BrowserRect& b)
{
    const Edges p = edgesOf(a);
    const Edges q = edgesOf(b);
    const double minX = std::max(p.minX, q.minX);
    const double minY = std::max(p.minY, q.minY);
    const double maxX = std::min(p.maxX, q.maxX);
    const double maxY = std::min(p.maxY, q.maxY);
    // Written so that a NaN edge also counts as no overlap.
    if (!(maxX - minX > 0) || !(maxY - minY > 0)) {
        return std::nullopt;
    }
    return BrowserRect{minX, minY, maxX - minX, maxY - minY};
}

bool containsRect(const BrowserRect& outer, const BrowserRect& inner)
{
    const Edges o = edgesOf(outer);
    const Edges i = edgesOf(inner);
    return i.minX >= o.minX && i.minY >= o.minY && i.maxX <= o.maxX && i.maxY <= o.maxY;
}

CropMapping::CropMapping(std::uint32_t imageWidth,
                         std::uint32_t imageHeight,
                         const BrowserRect& contentRect,
                         BrowserRect crop)
    : m_scaleX(imageWidth / contentRect.width)
    , m_scaleY(imageHeight / contentRect.height)
    , m_content(contentRect)
    , m_crop(crop)
{
    const bool placeable = std::isfinite(contentRect.x) && std::isfinite(contentRect.y) && contentRect.width > 0 &&
                           contentRect.height > 0 && std::isfinite(m_scaleX) && std::isfinite(m_scaleY) &&
                           m_scaleX > 0 && m_scaleY > 0;
    if (!placeable) {
        throw ReadingFailure::regionNotPrepared();
    }
    m_cropInPage = {contentRect.x + crop.x / m_scaleX,
                    contentRect.y + crop.y / m_scaleY,
                    crop.width / m_scaleX,
                    crop.height / m_scaleY};
}

BrowserRect CropMapping::cropBounds(const BrowserRect& page) const
{
    return {roundedToTenth(m_scaleX * (page.x - m_content.x) - m_crop.x),
            roundedToTenth(m_scaleY * (page.y - m_content.y) - m_crop.y),
            roundedToTenth(m_scaleX * page.width),
            roundedToTenth(m_scaleY * page.height)};
}

} // namespace tavlen
