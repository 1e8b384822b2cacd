#pragma once

#include <QPointF>
#include <QWidget>

#include <functional>

class QTimer;
class QVariantAnimation;

namespace tavlen::ui {

// Where the parts of a ring of diameter d lie: track and arc stroked d / 9 wide, a dot d / 6 wide 2d / 9 above the
// centre, turned clockwise by the angle. The dot makes one turn every 1.5 s counted from 2001-01-01 00:00 UTC, so
// every ring on screen turns in step.
struct ProgressRingGeometry
{
    double lineWidth = 0;
    double dotDiameter = 0;
    double dotAngleDegrees = 0; // clockwise from the top
    QPointF dotCenter;          // relative to the ring's centre, y downwards
};

ProgressRingGeometry progressRingGeometry(double diameter, double secondsSince2001);

// The ring of a running check: a faint track, an arc from the top growing clockwise to the fraction (a change
// eases in and out over 0.25 s) and an orbiting dot redrawn 30 times a second, only while the ring is visible.
class MonitorProgressRing : public QWidget
{
    Q_OBJECT

public:
    // The clock gives seconds since 2001-01-01 UTC; tests pass their own.
    explicit MonitorProgressRing(double diameter, QWidget* parent = nullptr, std::function<double()> clock = {});

    double fractionCompleted() const { return m_fraction; }

    bool isAnimating() const;

    void setFractionCompleted(double fraction);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    double m_diameter;
    double m_fraction = 0;
    double m_shownFraction = 0;
    std::function<double()> m_clock;
    QTimer* m_frameTimer;
    QVariantAnimation* m_fractionAnimation;
};

} // namespace tavlen::ui
