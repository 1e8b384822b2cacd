#include "ElidedLabel.h"

#include "KitColors.h"

#include <QEvent>
#include <QPainter>

namespace tavlen::ui {

ElidedLabel::ElidedLabel(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

QString ElidedLabel::shownText() const
{
    return fontMetrics().elidedText(m_text, Qt::ElideRight, width());
}

void ElidedLabel::setText(const QString& text)
{
    if (text == m_text) {
        return;
    }
    m_text = text;
    setAccessibleName(text);
    if (m_textIsTooltip) {
        setToolTip(text);
    }
    updateGeometry();
    update();
}

void ElidedLabel::setTextIsTooltip(bool isTooltip)
{
    m_textIsTooltip = isTooltip;
    setToolTip(isTooltip ? m_text : QString());
}

void ElidedLabel::setSecondary(bool isSecondary)
{
    m_isSecondary = isSecondary;
    update();
}

QSize ElidedLabel::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(m_text), fontMetrics().height()};
}

QSize ElidedLabel::minimumSizeHint() const
{
    return {0, fontMetrics().height()};
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(m_isSecondary ? secondaryColor(palette()) : palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, shownText());
}

void ElidedLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        updateGeometry();
    }
    QWidget::changeEvent(event);
}

} // namespace tavlen::ui
