#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "BrowserRect.h"
#include "RegionEditingState.h"
#include "StepsCapture.h"
#include "StepsRegionOverlay.h"
#include "StepsZoomRequest.h"
#include "Uuid.h"
#endif

#include <QAbstractScrollArea>
#include <QImage>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

namespace tavlen::ui {

// Everything the host gives the screenshot view, whenever any of it changes.
struct StepsScreenshotViewInputs
{
    // The captured page; each capture is its own object, so a new object is a new screenshot.
    std::shared_ptr<const StepsCapture> screenshot;
    // Drawn in this order, later ones on top.
    std::vector<StepsRegionOverlay> regions;
    std::optional<Uuid> selectedID;
    // A rectangle that belongs to no region yet, drawn while no region is selected.
    std::optional<BrowserRect> selection;
    // Applied once per id.
    StepsZoomRequest zoomRequest;
    // A new value brings the selected region into view.
    Uuid focusToken;
    bool allowsEditing = true;
};

// The full-page screenshot of an Open page step with the regions of its Read steps over it, zoomable and
// scrollable, on which the user selects, moves, resizes and drags out regions.
//
// The host calls apply() with all inputs whenever one changes and listens to two signals: regionSelected on a
// press that selects a region (its id) or begins a new rectangle (none), and regionCommitted when a drag ends with
// a rectangle of at least one pixel square (image pixels, clamped to the image; the region's id, or none for a new
// rectangle or the free selection). The view changes no step itself: the host updates the steps and applies the
// new regions. Zoom: magnification m is viewport points per image pixel, 0.005 to 8; a new screenshot is fitted to
// the width and shown from its top-left corner; fitting follows the width until a zoom or pinch. The wheel scrolls
// the image and hands over to the enclosing scroll area at the image's ends; a pinch zooms about the pointer.
//
// Memory: the view holds the shared capture and a QImage over its decoded pixels (no copy) and no scaled cache;
// painting samples only the exposed part of the image. Main thread only.
class StepsScreenshotView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit StepsScreenshotView(QWidget* parent = nullptr);
    ~StepsScreenshotView() override;

    void apply(const StepsScreenshotViewInputs& inputs);

    double magnification() const { return m_magnification; }

    bool fitsWidth() const { return m_fitsWidth; }

    // Scroll offsets in viewport points of the magnified image.
    QPointF scrollOffset() const;

    // Between viewport points and image pixels, for the current zoom and scroll; image points are not clamped.
    QPointF viewportPoint(QPointF imagePoint) const;
    QPointF imagePoint(QPointF viewportPoint) const;

    const RegionEditingState& editing() const { return m_editing; }

Q_SIGNALS:
    void regionSelected(std::optional<tavlen::Uuid> id);
    void regionCommitted(tavlen::BrowserRect rect, std::optional<tavlen::Uuid> regionID);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QSizeF imageSize() const;
    void setMagnification(double magnification, QPointF anchor);
    void applyZoomRequest(const StepsZoomRequest& request);
    void fitWidth();
    void updateScrollRanges();
    void scrollTo(QPointF offset);
    void dragTo(QPointF viewportPoint);
    void handleAutoscroll();
    void endGesture();

    std::shared_ptr<const StepsCapture> m_screenshot;
    QImage m_image;
    RegionEditingState m_editing;
    bool m_allowsEditing = true;
    double m_magnification = 1;
    bool m_fitsWidth = true;
    std::optional<Uuid> m_zoomRequestID;
    std::optional<Uuid> m_focusToken;
    double m_previousWidth = 0;
    bool m_updatingRanges = false;
    bool m_rescaling = false;
    QPointF m_lastDragPoint;
    QTimer m_autoscroll;
};

} // namespace tavlen::ui
