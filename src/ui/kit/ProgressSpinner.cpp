#include "ProgressSpinner.h"

#include <QPainter>
#include <QVariantAnimation>

namespace tavlen::ui {

namespace {

int sideOf(ProgressSpinner::Size size)
{
    switch (size) {
    case ProgressSpinner::Size::mini:
        return 12;
    case ProgressSpinner::Size::small:
        return 16;
    case ProgressSpinner::Size::regular:
        return 32;
    }
    return 16;
}

} // namespace

ProgressSpinner::ProgressSpinner(Size size, QWidget* parent)
    : QWidget(parent)
    , m_size(size)
    , m_turn(new QVariantAnimation(this))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_turn->setStartValue(0.0);
    m_turn->setEndValue(360.0);
    m_turn->setDuration(900);
    m_turn->setLoopCount(-1);
    connect(m_turn, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_angle = value.toDouble();
        update();
    });
}

void ProgressSpinner::setColor(const QColor& color)
{
    if (color != m_color) {
        m_color = color;
        update();
    }
}

bool ProgressSpinner::isSpinning() const
{
    return m_turn->state() == QAbstractAnimation::Running;
}

QSize ProgressSpinner::sizeHint() const
{
    const int side = sideOf(m_size);
    return {side, side};
}

void ProgressSpinner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double side = std::min(width(), height());
    const double stroke = std::max(1.5, side / 10);
    const QRectF circle(
        (width() - side) / 2 + stroke / 2, (height() - side) / 2 + stroke / 2, side - stroke, side - stroke);
    const QColor color = m_color.isValid() ? m_color : palette().color(QPalette::WindowText);
    QColor track = color;
    track.setAlphaF(color.alphaF() * 0.2f);
    painter.setPen(QPen(track, stroke));
    painter.drawEllipse(circle);
    painter.setPen(QPen(color, stroke, Qt::SolidLine, Qt::RoundCap));
    // Qt's angles are in sixteenths of a degree, counter-clockwise; the arc turns clockwise.
    painter.drawArc(circle, static_cast<int>((90 - m_angle) * 16), -100 * 16);
}

void ProgressSpinner::showEvent(QShowEvent* event)
{
    m_turn->start();
    QWidget::showEvent(event);
}

void ProgressSpinner::hideEvent(QHideEvent* event)
{
    m_turn->stop();
    QWidget::hideEvent(event);
}

} // namespace tavlen::ui
