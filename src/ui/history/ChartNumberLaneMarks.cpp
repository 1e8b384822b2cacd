#include "ChartNumberLaneMarks.h"

#include "KitColors.h"

#include <QLinearGradient>
#include <QPaintDevice>
#include <QPainter>
#include <QPen>
#include <QTransform>

#include <array>
#include <cmath>
#include <optional>

namespace tavlen::ui {

namespace {

constexpr double dotDiameter = 4.2; // a disc of 14 square points
constexpr double lineWidth = 1.6;

// Collects the points of one device pixel column and hands on its first, lowest, highest and last in order to the
// line, and its highest across the column to the top of the area.
class ColumnReducer
{
public:
    explicit ColumnReducer(ChartLaneOutlines& outlines)
        : m_outlines(outlines)
    {}

    void add(QPointF point, std::int64_t column)
    {
        if (m_count > 0 && column != m_column) {
            flush();
        }
        if (m_count == 0) {
            m_column = column;
            m_first = m_lowest = m_highest = m_last = point;
            m_lowestIndex = m_highestIndex = 0;
        } else {
            // Screen y grows downwards: the lowest value has the largest y.
            if (point.y() > m_lowest.y()) {
                m_lowest = point;
                m_lowestIndex = m_count;
            }
            if (point.y() < m_highest.y()) {
                m_highest = point;
                m_highestIndex = m_count;
            }
            m_last = point;
        }
        ++m_count;
    }

    void flush()
    {
        if (m_count == 0) {
            return;
        }
        std::int64_t emitted = -1;
        // Each kept point once, though it may be first, extreme and last at the same time.
        const auto keep = [&](QPointF point, std::int64_t index) {
            if (index > emitted) {
                emitted = index;
                extend(m_outlines.line, point);
            }
        };
        keep(m_first, 0);
        if (m_lowestIndex < m_highestIndex) {
            keep(m_lowest, m_lowestIndex);
            keep(m_highest, m_highestIndex);
        } else {
            keep(m_highest, m_highestIndex);
            keep(m_lowest, m_lowestIndex);
        }
        keep(m_last, m_count - 1);
        extend(m_outlines.top, QPointF(m_first.x(), m_highest.y()));
        if (m_count > 1) {
            extend(m_outlines.top, QPointF(m_last.x(), m_highest.y()));
        }
        m_count = 0;
    }

private:
    static void extend(QPainterPath& path, QPointF point)
    {
        if (path.elementCount() == 0) {
            path.moveTo(point);
        } else {
            path.lineTo(point);
        }
    }

    ChartLaneOutlines& m_outlines;
    std::int64_t m_column = 0;
    std::int64_t m_count = 0;
    QPointF m_first, m_lowest, m_highest, m_last;
    std::int64_t m_lowestIndex = 0;
    std::int64_t m_highestIndex = 0;
};

// The dot drawn once per quarter device pixel offset and copied to each reading: the same pixels as filling a
// disc at each, at a small part of the cost.
class DotSprites
{
public:
    DotSprites(const QColor& colour, double pixelRatio)
        : m_colour(colour)
        , m_pixelRatio(pixelRatio)
        , m_side(static_cast<int>(std::ceil(dotDiameter * pixelRatio)) + 2)
    {}

    // At a centre in device pixels, on a painter without a world transform.
    void paint(QPainter& painter, QPointF centre)
    {
        const double left = centre.x() - m_side / 2.0;
        const double top = centre.y() - m_side / 2.0;
        const double wholeLeft = std::floor(left);
        const double wholeTop = std::floor(top);
        const int column = std::min(static_cast<int>((left - wholeLeft) * steps), steps - 1);
        const int row = std::min(static_cast<int>((top - wholeTop) * steps), steps - 1);
        QImage& sprite = m_sprites[static_cast<std::size_t>(row * steps + column)];
        if (sprite.isNull()) {
            sprite = QImage(m_side, m_side, QImage::Format_ARGB32_Premultiplied);
            sprite.fill(Qt::transparent);
            QPainter dot(&sprite);
            dot.setRenderHint(QPainter::Antialiasing);
            dot.setPen(Qt::NoPen);
            dot.setBrush(m_colour);
            const double radius = dotDiameter * m_pixelRatio / 2;
            const QPointF at(m_side / 2.0 + (column + 0.5) / steps, m_side / 2.0 + (row + 0.5) / steps);
            dot.drawEllipse(at, radius, radius);
            dot.end();
            // Copied pixel for pixel onto the device.
            sprite.setDevicePixelRatio(m_pixelRatio);
        }
        painter.drawImage(QPointF(wholeLeft, wholeTop) / m_pixelRatio, sprite);
    }

private:
    static constexpr int steps = 4;
    QColor m_colour;
    double m_pixelRatio;
    int m_side;
    std::array<QImage, steps * steps> m_sprites;
};

} // namespace

double ChartNumberLaneGeometry::y(double value) const
{
    const double span = domain.upper - domain.lower;
    if (!(span > 0)) {
        return plot.center().y();
    }
    return plot.bottom() - (value - domain.lower) / span * plot.height();
}

QPointF ChartNumberLaneGeometry::at(std::int64_t milliseconds, double value) const
{
    return {scale.position(milliseconds).value_or(plot.left()), y(value)};
}

ChartLaneOutlines
numberLaneOutlines(const ChartNumbers& points, const ChartNumberLaneGeometry& geometry, double pixelRatio)
{
    ChartLaneOutlines outlines;
    ColumnReducer reducer(outlines);
    for (std::size_t index = 0; index < points.size(); ++index) {
        const QPointF at = geometry.at(points.timeAt(index), points.valueAt(index));
        reducer.add(at, static_cast<std::int64_t>(std::floor(at.x() * pixelRatio)));
    }
    reducer.flush();
    return outlines;
}

void paintNumberLaneMarks(QPainter& painter,
                          const ChartNumberLaneGeometry& geometry,
                          const std::vector<ChartNumericSegment>& segments,
                          const std::vector<ChartReading>& points,
                          const QColor& accent)
{
    const double pixelRatio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const double baseline = geometry.y(geometry.domain.lower);
    QLinearGradient shade(geometry.plot.topLeft(), geometry.plot.bottomLeft());
    shade.setColorAt(0, withOpacity(accent, 0.22));
    shade.setColorAt(1, withOpacity(accent, 0));
    QPen solid(accent, lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    QPen dashed = solid;
    dashed.setDashPattern({5 / lineWidth, 4 / lineWidth});
    // A segment at a time: one path for many of them sends the rasteriser through many passes over all of it.
    for (const ChartNumericSegment& segment : segments) {
        if (segment.points.size() < 2) {
            continue;
        }
        ChartLaneOutlines outlines = numberLaneOutlines(segment.points, geometry, pixelRatio);
        QPainterPath& area = outlines.top;
        area.lineTo(area.currentPosition().x(), baseline);
        area.lineTo(area.elementAt(0).x, baseline);
        area.closeSubpath();
        painter.fillPath(area, shade);
        painter.strokePath(outlines.line, segment.interrupted ? dashed : solid);
    }

    DotSprites sprites(accent, pixelRatio);
    const QTransform toDevice = painter.transform() * QTransform::fromScale(pixelRatio, pixelRatio);
    painter.save();
    painter.resetTransform();
    for (const ChartReading& reading : points) {
        sprites.paint(painter, toDevice.map(geometry.at(reading.timeMilliseconds, reading.value.number())));
    }
    painter.restore();
}

namespace {

QRect devicePixelsOf(const QRectF& plot, double pixelRatio)
{
    return QRectF(plot.topLeft() * pixelRatio, plot.bottomRight() * pixelRatio).toAlignedRect();
}

} // namespace

QPointF ChartNumberMarksImage::origin() const
{
    return QPointF(devicePixelsOf(key.plot, key.pixelRatio).topLeft()) / key.pixelRatio;
}

ChartNumberMarksImage drawNumberLaneMarks(const ChartNumberMarksKey& key,
                                          const ChartNumberLaneGeometry& geometry,
                                          const std::vector<ChartNumericSegment>& segments,
                                          const std::vector<ChartReading>& points)
{
    ChartNumberMarksImage marks{
        key, QImage(devicePixelsOf(key.plot, key.pixelRatio).size(), QImage::Format_ARGB32_Premultiplied)};
    marks.image.setDevicePixelRatio(key.pixelRatio);
    marks.image.fill(Qt::transparent);
    QPainter painter(&marks.image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-marks.origin());
    painter.setClipRect(key.plot);
    paintNumberLaneMarks(painter, geometry, segments, points, QColor::fromRgba(key.accent));
    return marks;
}

} // namespace tavlen::ui
