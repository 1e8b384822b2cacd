#include "StepsCropImageView.h"

#include "KitColors.h"
#include "StepsEditorText.h"

#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QWheelEvent>

namespace tavlen::ui {
namespace {

constexpr double wheelNotch = 120;

} // namespace

StepsCropImageView::StepsCropImageView(QWidget* parent)
    : QWidget(parent)
{
    setAccessibleName(text::cropPreviewAccessibleName());
    setAccessibleDescription(text::notSelectedValue());
    setToolTip(text::cropPreviewHelp());
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
    setMaximumSize(int(cropPreviewMaximumWidth), int(cropPreviewMaximumHeight));
}

void StepsCropImageView::configure(const QImage& image, bool isNewSource, bool isSelected)
{
    const bool selectionChanged = isSelected != m_selected;
    m_selected = isSelected;
    if (!isNewSource && !selectionChanged) {
        return;
    }
    setAccessibleDescription(isSelected ? text::selectedValue() : text::notSelectedValue());
    if (isNewSource) {
        m_image = image;
        m_panOrigin.reset();
        m_pressPoint.reset();
        m_zoom = fittedCrop(size(), imageSize());
        updateGeometry();
        updateCursor();
    }
    update();
}

QSize StepsCropImageView::sizeHint() const
{
    return cropIdealSize(imageSize(), std::nullopt, std::nullopt).toSize();
}

QSizeF StepsCropImageView::imageSize() const
{
    return m_image.isNull() ? QSizeF() : QSizeF(m_image.size());
}

void StepsCropImageView::paintEvent(QPaintEvent*)
{
    if (m_image.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setClipRect(rect());
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRectF(m_zoom.origin, imageSize() * m_zoom.scale), m_image);
    const double width = m_selected ? 2 : 1;
    const QColor colour = m_selected ? accentColor(palette()) : kitColor(KitColor::orange, palette());
    painter.setPen(QPen(colour, width));
    painter.drawRect(QRectF(rect()).adjusted(width / 2, width / 2, -width / 2, -width / 2));
}

void StepsCropImageView::resizeEvent(QResizeEvent* event)
{
    if (event->oldSize().isValid()) {
        m_zoom = resizedCrop(m_zoom, event->oldSize(), event->size(), imageSize());
    } else {
        m_zoom = fittedCrop(event->size(), imageSize());
    }
    m_panOrigin.reset();
    updateCursor();
}

void StepsCropImageView::wheelEvent(QWheelEvent* event)
{
    const bool precise = !event->pixelDelta().isNull();
    const double delta = precise ? event->pixelDelta().y() : event->angleDelta().y() / wheelNotch;
    zoomBy(cropWheelFactor(delta, precise), event->position());
    // Scrolling over a preview zooms it and never scrolls what encloses it.
    event->accept();
}

bool StepsCropImageView::event(QEvent* event)
{
    if (event->type() == QEvent::NativeGesture) {
        auto* gesture = static_cast<QNativeGestureEvent*>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture) {
            zoomBy(gesture->value() + 1, gesture->position());
        }
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void StepsCropImageView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressPoint = event->position();
    }
}

void StepsCropImageView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressPoint || !(event->buttons() & Qt::LeftButton)) {
        return;
    }
    const QPointF translation = event->position() - *m_pressPoint;
    if (!m_panOrigin && !cropDragPans(translation)) {
        return;
    }
    if (!m_panOrigin) {
        m_panOrigin = m_zoom.origin;
    }
    m_zoom = pannedCrop(m_zoom, *m_panOrigin, translation, size(), imageSize());
    updateCursor();
    update();
}

void StepsCropImageView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressPoint) {
        return;
    }
    const bool wasPanning = m_panOrigin.has_value();
    m_pressPoint.reset();
    m_panOrigin.reset();
    updateCursor();
    if (!wasPanning) {
        Q_EMIT tapped();
    }
}

void StepsCropImageView::zoomBy(double factor, QPointF point)
{
    m_zoom = zoomedCrop(m_zoom, factor, point, size(), imageSize());
    m_panOrigin.reset();
    updateCursor();
    update();
}

void StepsCropImageView::updateCursor()
{
    if (m_panOrigin) {
        setCursor(Qt::ClosedHandCursor);
    } else if (m_zoom.scale > cropFitScale(size(), imageSize())) {
        setCursor(Qt::OpenHandCursor);
    } else {
        setCursor(Qt::ArrowCursor);
    }
}

} // namespace tavlen::ui
