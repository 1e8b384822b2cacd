#pragma once

#include "CropPreviewGeometry.h"

#include <QImage>
#include <QWidget>

#include <optional>

namespace tavlen::ui {

// Draws a region's crop, fitted at first; the wheel and a pinch zoom it about the pointer (never scrolling what
// encloses it), a drag of 4 points or more pans it, and a shorter press and release is a tap (tapped()). Main
// thread only.
class StepsCropImageView : public QWidget
{
    Q_OBJECT

public:
    explicit StepsCropImageView(QWidget* parent = nullptr);

    // A new crop (isNewSource) is fitted and centred; otherwise only the selected border changes.
    void configure(const QImage& image, bool isNewSource, bool isSelected);

    const CropZoom& zoom() const { return m_zoom; }

    bool isPanning() const { return m_panOrigin.has_value(); }

    QSize sizeHint() const override;

    bool hasHeightForWidth() const override { return false; }

Q_SIGNALS:
    void tapped();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QSizeF imageSize() const;
    void zoomBy(double factor, QPointF point);
    void updateCursor();

    QImage m_image;
    bool m_selected = false;
    CropZoom m_zoom;
    std::optional<QPointF> m_pressPoint;
    std::optional<QPointF> m_panOrigin;
};

} // namespace tavlen::ui
