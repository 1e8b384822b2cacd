#include "StepsScreenshotView.h"

#include "KitColors.h"
#include "RegionGeometry.h"
#include "ScreenshotPainting.h"
#include "ScreenshotZoom.h"
#include "StepsEditorText.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <cmath>

namespace tavlen::ui {
namespace {

constexpr int autoscrollIntervalMs = 30;
constexpr int wheelLineStep = 20;

QColor underPageColour(const QPalette& palette)
{
    return palette.color(QPalette::Window).darker(isDarkAppearance(palette) ? 130 : 112);
}

// How far a point lies beyond the viewport on one axis: negative before it, positive after it.
double overshoot(double position, double extent)
{
    return position < 0 ? position : position > extent ? position - extent : 0;
}

} // namespace

StepsScreenshotView::StepsScreenshotView(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::ClickFocus);
    setAccessibleName(text::screenshotAccessibleName());
    viewport()->setCursor(Qt::CrossCursor);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    horizontalScrollBar()->setSingleStep(wheelLineStep);
    verticalScrollBar()->setSingleStep(wheelLineStep);
    m_autoscroll.setInterval(autoscrollIntervalMs);
    connect(&m_autoscroll, &QTimer::timeout, this, &StepsScreenshotView::handleAutoscroll);
}

StepsScreenshotView::~StepsScreenshotView() = default;

void StepsScreenshotView::apply(const StepsScreenshotViewInputs& inputs)
{
    const bool sameScreenshot = m_screenshot && m_screenshot == inputs.screenshot;
    const bool overlayChanged =
        !(regionOverlaysEqual(inputs.regions, m_editing.regions()) && inputs.selectedID == m_editing.selectedID() &&
          inputs.selection == m_editing.selection());
    if (!sameScreenshot) {
        m_screenshot = inputs.screenshot;
        m_image = QImage();
        if (m_screenshot) {
            const RgbaImage& pixels = m_screenshot->image();
            // Wraps the decoded pixels without copying them; the capture is kept alive beside the image.
            m_image = QImage(pixels.pixels.data(),
                             int(pixels.width),
                             int(pixels.height),
                             qsizetype(pixels.width) * 4,
                             QImage::Format_RGBA8888);
        }
        m_editing.setImageSize(imageSize());
        // A gesture on the previous screenshot must not commit onto this one.
        endGesture();
        m_fitsWidth = true;
    }
    m_editing.setRegions(inputs.regions);
    m_editing.setSelectedID(inputs.selectedID);
    m_editing.setSelection(inputs.selection);
    if (inputs.allowsEditing != m_allowsEditing) {
        m_allowsEditing = inputs.allowsEditing;
        if (!m_allowsEditing) {
            endGesture();
        }
    }
    if (!sameScreenshot || overlayChanged) {
        viewport()->update();
    }
    if (m_zoomRequestID != inputs.zoomRequest.id) {
        m_zoomRequestID = inputs.zoomRequest.id;
        applyZoomRequest(inputs.zoomRequest);
    }
    if (!sameScreenshot) {
        updateScrollRanges();
        fitWidth();
        scrollTo({0, 0});
    }
    if (m_focusToken != inputs.focusToken) {
        m_focusToken = inputs.focusToken;
        if (std::optional<BrowserRect> focus = focusRectangle(inputs.regions, inputs.selectedID, imageSize())) {
            scrollTo(scrollRevealing(viewport()->size(), imageSize(), m_magnification, scrollOffset(), *focus));
        }
    }
}

QPointF StepsScreenshotView::scrollOffset() const
{
    return {double(horizontalScrollBar()->value()), double(verticalScrollBar()->value())};
}

QPointF StepsScreenshotView::viewportPoint(QPointF imagePoint) const
{
    return imageOriginInViewport(viewport()->size(), imageSize(), m_magnification, scrollOffset()) +
           imagePoint * m_magnification;
}

QPointF StepsScreenshotView::imagePoint(QPointF viewportPoint) const
{
    return (viewportPoint - imageOriginInViewport(viewport()->size(), imageSize(), m_magnification, scrollOffset())) /
           m_magnification;
}

QSizeF StepsScreenshotView::imageSize() const
{
    return m_image.isNull() ? QSizeF() : QSizeF(m_image.size());
}

void StepsScreenshotView::setMagnification(double magnification, QPointF anchor)
{
    const double target = clampMagnification(magnification);
    const QPointF scroll =
        scrollKeepingAnchor(viewport()->size(), imageSize(), m_magnification, target, scrollOffset(), anchor);
    m_magnification = target;
    m_rescaling = true;
    updateScrollRanges();
    scrollTo(scroll);
    m_rescaling = false;
    viewport()->update();
}

void StepsScreenshotView::applyZoomRequest(const StepsZoomRequest& request)
{
    ZoomOutcome outcome = zoomOutcome(request.action, m_magnification, viewport()->width(), imageSize().width());
    m_fitsWidth = outcome.fitsWidth;
    if (outcome.magnification != m_magnification) {
        setMagnification(outcome.magnification, QRectF(viewport()->rect()).center());
    }
}

void StepsScreenshotView::fitWidth()
{
    std::optional<double> target = fitWidthMagnification(viewport()->width(), imageSize().width());
    if (target && fitChangesMagnification(m_magnification, *target)) {
        setMagnification(*target, {0, 0});
    }
}

void StepsScreenshotView::updateScrollRanges()
{
    if (m_updatingRanges) {
        return;
    }
    m_updatingRanges = true;
    const QSize area = viewport()->size();
    const QSizeF image = imageSize();
    horizontalScrollBar()->setPageStep(area.width());
    verticalScrollBar()->setPageStep(area.height());
    horizontalScrollBar()->setRange(0, int(std::ceil(maximumScroll(area.width(), image.width(), m_magnification))));
    verticalScrollBar()->setRange(0, int(std::ceil(maximumScroll(area.height(), image.height(), m_magnification))));
    m_updatingRanges = false;
}

void StepsScreenshotView::scrollTo(QPointF offset)
{
    horizontalScrollBar()->setValue(int(std::lround(offset.x())));
    verticalScrollBar()->setValue(int(std::lround(offset.y())));
}

void StepsScreenshotView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRect exposed = event->rect();
    painter.fillRect(exposed, underPageColour(palette()));
    if (m_image.isNull()) {
        return;
    }
    ScreenshotPaintContext context;
    context.magnification = m_magnification;
    context.darkAppearance = isDarkAppearance(palette());
    context.pageRect = QRectF(viewportPoint({0, 0}), imageSize() * m_magnification);
    paintPageShadow(painter, context, exposed);
    painter.fillRect(context.pageRect.intersected(QRectF(exposed)), palette().color(QPalette::Base));
    paintImagePart(painter, m_image, context, exposed);
    paintRegions(painter, m_editing.displayedRegions(), context, palette(), exposed);
}

void StepsScreenshotView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRanges();
    const double width = viewport()->width();
    if (layoutRefits(m_fitsWidth, width, m_previousWidth)) {
        m_previousWidth = width;
        fitWidth();
    }
}

void StepsScreenshotView::scrollContentsBy(int dx, int dy)
{
    // At one magnification everything drawn moves with the image, so a pan moves the pixels already shown and
    // paints only the strip it uncovers. A change of magnification repaints everything.
    if (m_rescaling) {
        viewport()->update();
    } else {
        viewport()->scroll(dx, dy);
    }
}

void StepsScreenshotView::wheelEvent(QWheelEvent* event)
{
    const double deltaY = event->pixelDelta().isNull() ? event->angleDelta().y() : event->pixelDelta().y();
    const double top = scrollOffset().y() / m_magnification;
    const double bottom = (scrollOffset().y() + viewport()->height()) / m_magnification;
    if (wheelHandsOff(deltaY, top, bottom, imageSize().height())) {
        // Ignored, the event goes on to the enclosing scroll area.
        event->ignore();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

bool StepsScreenshotView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::NativeGesture) {
        auto* gesture = static_cast<QNativeGestureEvent*>(event);
        if (gesture->gestureType() == Qt::ZoomNativeGesture) {
            m_fitsWidth = false;
            setMagnification(m_magnification * (1 + gesture->value()), gesture->position());
        }
        event->accept();
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void StepsScreenshotView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_allowsEditing || m_image.isNull()) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    m_lastDragPoint = event->position();
    RegionEditingState::PressReport report =
        m_editing.press(imagePointOnImage(imagePoint(event->position()), imageSize()), m_magnification);
    viewport()->update();
    if (report) {
        Q_EMIT regionSelected(*report);
    }
}

void StepsScreenshotView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || !m_allowsEditing || !m_editing.hasGesture()) {
        return;
    }
    m_lastDragPoint = event->position();
    dragTo(m_lastDragPoint);
    const bool outside = !QRectF(viewport()->rect()).contains(m_lastDragPoint);
    if (outside && !m_autoscroll.isActive()) {
        m_autoscroll.start();
    } else if (!outside) {
        m_autoscroll.stop();
    }
}

void StepsScreenshotView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        return;
    }
    m_autoscroll.stop();
    if (!m_allowsEditing) {
        return;
    }
    std::optional<RegionCommit> commit = m_editing.release();
    viewport()->update();
    if (commit) {
        Q_EMIT regionCommitted(commit->rect, commit->regionID);
    }
}

void StepsScreenshotView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        endGesture();
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void StepsScreenshotView::dragTo(QPointF viewportPoint)
{
    if (m_editing.drag(imagePointOnImage(imagePoint(viewportPoint), imageSize()))) {
        viewport()->update();
    }
}

void StepsScreenshotView::handleAutoscroll()
{
    const QPointF beyond(overshoot(m_lastDragPoint.x(), viewport()->width()),
                         overshoot(m_lastDragPoint.y(), viewport()->height()));
    if (!m_editing.hasGesture() || beyond.isNull()) {
        m_autoscroll.stop();
        return;
    }
    scrollTo(scrollOffset() + beyond);
    dragTo(m_lastDragPoint);
}

void StepsScreenshotView::endGesture()
{
    m_autoscroll.stop();
    m_editing.discardGesture();
    viewport()->update();
}

} // namespace tavlen::ui
