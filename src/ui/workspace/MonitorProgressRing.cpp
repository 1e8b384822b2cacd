#include "MonitorProgressRing.h"

#include "KitColors.h"

#include <QDateTime>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QVariantAnimation>

#include <cmath>
#include <numbers>

namespace tavlen::ui {

namespace {

constexpr double secondsPerTurn = 1.5;
constexpr int frameIntervalMilliseconds = 1000 / 30;
// 2001-01-01 00:00:00 UTC in seconds since 1970.
constexpr double epoch2001 = 978307200.0;

double secondsSince2001Now()
{
    return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0 - epoch2001;
}

} // namespace

ProgressRingGeometry progressRingGeometry(double diameter, double secondsSince2001)
{
    ProgressRingGeometry geometry;
    geometry.lineWidth = diameter / 9;
    geometry.dotDiameter = diameter / 6;
    const double turn = std::fmod(secondsSince2001, secondsPerTurn);
    geometry.dotAngleDegrees = (turn < 0 ? turn + secondsPerTurn : turn) / secondsPerTurn * 360;
    const double radians = geometry.dotAngleDegrees * std::numbers::pi / 180;
    const double radius = 2 * diameter / 9;
    geometry.dotCenter = QPointF(radius * std::sin(radians), -radius * std::cos(radians));
    return geometry;
}

MonitorProgressRing::MonitorProgressRing(double diameter, QWidget* parent, std::function<double()> clock)
    : QWidget(parent)
    , m_diameter(diameter)
    , m_clock(clock ? std::move(clock) : std::function<double()>(secondsSince2001Now))
    , m_frameTimer(new QTimer(this))
    , m_fractionAnimation(new QVariantAnimation(this))
{
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_frameTimer->setInterval(frameIntervalMilliseconds);
    connect(m_frameTimer, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    m_fractionAnimation->setDuration(250);
    m_fractionAnimation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_fractionAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_shownFraction = value.toDouble();
        update();
    });
}

bool MonitorProgressRing::isAnimating() const
{
    return m_frameTimer->isActive();
}

void MonitorProgressRing::setFractionCompleted(double fraction)
{
    if (fraction == m_fraction) {
        return;
    }
    m_fraction = fraction;
    m_fractionAnimation->stop();
    if (!isVisible()) {
        m_shownFraction = fraction;
        return;
    }
    m_fractionAnimation->setStartValue(m_shownFraction);
    m_fractionAnimation->setEndValue(fraction);
    m_fractionAnimation->start();
}

QSize MonitorProgressRing::sizeHint() const
{
    const int side = static_cast<int>(std::ceil(m_diameter));
    return {side, side};
}

void MonitorProgressRing::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_frameTimer->start();
}

void MonitorProgressRing::hideEvent(QHideEvent* event)
{
    m_frameTimer->stop();
    QWidget::hideEvent(event);
}

void MonitorProgressRing::paintEvent(QPaintEvent*)
{
    const ProgressRingGeometry geometry = progressRingGeometry(m_diameter, m_clock());
    const QColor primary = primaryColor(palette());
    const QPointF centre(width() / 2.0, height() / 2.0);
    const double inset = geometry.lineWidth / 2;
    const QRectF circle(centre.x() - m_diameter / 2 + inset,
                        centre.y() - m_diameter / 2 + inset,
                        m_diameter - geometry.lineWidth,
                        m_diameter - geometry.lineWidth);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    QPen track(withOpacity(primary, 0.15), geometry.lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    track.setMiterLimit(10);
    painter.setPen(track);
    painter.drawEllipse(circle);

    if (m_shownFraction > 0) {
        painter.setPen(QPen(primary, geometry.lineWidth, Qt::SolidLine, Qt::RoundCap));
        // Qt's angles run counter-clockwise from three o'clock in sixteenths of a degree.
        painter.drawArc(circle, 90 * 16, -static_cast<int>(std::lround(m_shownFraction * 360 * 16)));
    }

    painter.setPen(Qt::NoPen);
    painter.setBrush(withOpacity(primary, 0.55));
    const double dotRadius = geometry.dotDiameter / 2;
    painter.drawEllipse(centre + geometry.dotCenter, dotRadius, dotRadius);
}

} // namespace tavlen::ui
