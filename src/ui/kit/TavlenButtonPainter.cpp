#include "TavlenButtonPainter.h"

#include "Icons.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tavlen::ui {

namespace {

QFont labelFont(const QFont& base, const TavlenButtonMetrics& metrics)
{
    QFont font = base;
    font.setPixelSize(metrics.fontPixelSize);
    font.setWeight(QFont::Medium);
    return font;
}

int symbolSide(const TavlenButtonMetrics& metrics)
{
    return metrics.fontPixelSize + 2;
}

int labelWidth(const TavlenButtonMetrics& metrics, const TavlenButtonLabel& label, const QFontMetricsF& fontMetrics)
{
    const int textWidth =
        label.title.isEmpty() ? 0 : static_cast<int>(std::ceil(fontMetrics.horizontalAdvance(label.title)));
    if (!label.hasSymbol()) {
        return textWidth;
    }
    return symbolSide(metrics) + (textWidth > 0 ? TavlenButtonMetrics::iconTitleSpacing + textWidth : 0);
}

// A stroke of the given width lying just inside the capsule's edge.
void strokeCapsule(QPainter& painter, const QRectF& frame, double width, const QColor& color)
{
    const QRectF inner = frame.adjusted(width / 2, width / 2, -width / 2, -width / 2);
    const double radius = inner.height() / 2;
    painter.setPen(QPen(color, width));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(inner, radius, radius);
}

} // namespace

QSize tavlenButtonSize(TavlenButtonStyle style, const TavlenButtonLabel& label, const QFont& baseFont)
{
    const TavlenButtonMetrics metrics = tavlenButtonMetrics(style);
    if (metrics.square) {
        return {metrics.height, metrics.height};
    }
    const QFontMetricsF fontMetrics(labelFont(baseFont, metrics));
    return {labelWidth(metrics, label, fontMetrics) + 2 * metrics.horizontalPadding, metrics.height};
}

QRect paintTavlenButton(QPainter& painter,
                        const QRect& frame,
                        TavlenButtonStyle style,
                        const TavlenButtonAppearance& look,
                        const TavlenButtonLabel& label,
                        const QFont& baseFont)
{
    const TavlenButtonMetrics metrics = tavlenButtonMetrics(style);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF capsule = frame;
    const double radius = capsule.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(look.fill);
    painter.drawRoundedRect(capsule, radius, radius);
    if (look.tint) {
        painter.setBrush(*look.tint);
        painter.drawRoundedRect(capsule, radius, radius);
    }
    if (look.border) {
        strokeCapsule(painter, capsule, 1, *look.border);
    }
    if (look.focusRing) {
        strokeCapsule(painter, capsule, 2, *look.focusRing);
    }

    const QFont font = labelFont(baseFont, metrics);
    const QFontMetricsF fontMetrics(font);
    const int available = frame.width() - 2 * metrics.horizontalPadding;
    int x = frame.left() + metrics.horizontalPadding +
            std::max(0, (available - labelWidth(metrics, label, fontMetrics)) / 2);
    QRect symbolRect;
    if (label.hasSymbol()) {
        const int side = symbolSide(metrics);
        symbolRect = QRect(x, frame.top() + (frame.height() - side) / 2, side, side);
        if (!label.symbolName.isEmpty() && !label.reservesSymbol) {
            const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
            painter.drawPixmap(symbolRect.topLeft(),
                               kitIconPixmap(label.symbolName, look.foreground, symbolRect.size(), ratio));
        }
        x += side + TavlenButtonMetrics::iconTitleSpacing;
    }
    if (!label.title.isEmpty()) {
        // Elided only when the button was made narrower than its label asks for.
        const int textWidth = std::max(0, frame.right() + 1 - metrics.horizontalPadding - x);
        const bool fits = fontMetrics.horizontalAdvance(label.title) <= textWidth + 1;
        painter.setFont(font);
        painter.setPen(look.foreground);
        painter.drawText(QRect(x, frame.top(), textWidth + (fits ? 2 : 0), frame.height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         fits ? label.title : fontMetrics.elidedText(label.title, Qt::ElideRight, textWidth));
    }
    painter.restore();
    return symbolRect;
}

} // namespace tavlen::ui
