#include "TavlenButton.h"

#include "Icons.h"
#include "ProgressSpinner.h"

#include <QEnterEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

#include <cmath>

namespace tavlen::ui {

namespace {

constexpr int hoverFadeMilliseconds = 100;

QFont labelFont(const QFont& base, const TavlenButtonMetrics& metrics)
{
    QFont font = base;
    font.setPixelSize(metrics.fontPixelSize);
    font.setWeight(QFont::Medium);
    return font;
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

TavlenButton::TavlenButton(TavlenButtonStyle style, QWidget* parent)
    : QAbstractButton(parent)
    , m_style(style)
    , m_hoverAnimation(new QVariantAnimation(this))
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_hoverAnimation->setDuration(hoverFadeMilliseconds);
    m_hoverAnimation->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_hoverAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_hoverProgress = value.toDouble();
        update();
    });
}

TavlenButton::TavlenButton(const QString& title, TavlenButtonStyle style, QWidget* parent)
    : TavlenButton(style, parent)
{
    setText(title);
}

TavlenButton::~TavlenButton() = default;

bool TavlenButton::isBusy() const
{
    return m_spinner != nullptr;
}

TavlenButtonState TavlenButton::currentState() const
{
    TavlenButtonState state;
    state.enabled = isEnabled();
    state.pressed = isDown();
    state.hovered = m_hovered;
    state.focused = hasFocus();
    state.windowActive = isActiveWindow();
    state.contrast = m_contrast;
    state.role = m_role;
    return state;
}

TavlenButtonAppearance TavlenButton::currentAppearance() const
{
    const TavlenButtonColors colors = TavlenButtonColors::from(palette());
    TavlenButtonState state = currentState();
    if (!state.enabled) {
        return tavlenButtonAppearance(m_style, state, colors);
    }
    // Only the hover of an enabled button fades; everything else is taken as it is now.
    state.hovered = false;
    const TavlenButtonAppearance idle = tavlenButtonAppearance(m_style, state, colors);
    state.hovered = true;
    const TavlenButtonAppearance hovered = tavlenButtonAppearance(m_style, state, colors);
    return blendAppearance(idle, hovered, m_hoverProgress);
}

void TavlenButton::setButtonStyle(TavlenButtonStyle style)
{
    m_style = style;
    updateGeometry();
    update();
}

void TavlenButton::setRole(ButtonRole role)
{
    m_role = role;
    update();
}

void TavlenButton::setSymbolName(const QString& symbolName)
{
    m_symbolName = symbolName;
    updateGeometry();
    update();
}

void TavlenButton::setBusy(bool busy)
{
    if (busy == isBusy()) {
        return;
    }
    if (busy) {
        m_spinner = new ProgressSpinner(ProgressSpinner::Size::mini, this);
        m_spinner->show();
    } else {
        delete m_spinner;
        m_spinner = nullptr;
    }
    updateGeometry();
    update();
}

void TavlenButton::setContrast(Contrast contrast)
{
    m_contrast = contrast;
    update();
}

int TavlenButton::symbolSide() const
{
    return tavlenButtonMetrics(m_style).fontPixelSize + 2;
}

QSize TavlenButton::labelSize() const
{
    const TavlenButtonMetrics metrics = tavlenButtonMetrics(m_style);
    const QFontMetrics fontMetrics(labelFont(font(), metrics));
    const bool hasSymbol = !m_symbolName.isEmpty() || isBusy();
    const int textWidth = text().isEmpty() ? 0 : fontMetrics.horizontalAdvance(text());
    int width = textWidth;
    if (hasSymbol) {
        width += symbolSide() + (textWidth > 0 ? TavlenButtonMetrics::iconTitleSpacing : 0);
    }
    return {width, std::max(fontMetrics.height(), hasSymbol ? symbolSide() : 0)};
}

QSize TavlenButton::sizeHint() const
{
    const TavlenButtonMetrics metrics = tavlenButtonMetrics(m_style);
    if (metrics.square) {
        return {metrics.height, metrics.height};
    }
    return {labelSize().width() + 2 * metrics.horizontalPadding, metrics.height};
}

QSize TavlenButton::minimumSizeHint() const
{
    return sizeHint();
}

void TavlenButton::paintEvent(QPaintEvent*)
{
    const TavlenButtonMetrics metrics = tavlenButtonMetrics(m_style);
    const TavlenButtonAppearance look = currentAppearance();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF frame = rect();
    const double radius = frame.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(look.fill);
    painter.drawRoundedRect(frame, radius, radius);
    if (look.tint) {
        painter.setBrush(*look.tint);
        painter.drawRoundedRect(frame, radius, radius);
    }
    if (look.border) {
        strokeCapsule(painter, frame, 1, *look.border);
    }
    if (look.focusRing) {
        strokeCapsule(painter, frame, 2, *look.focusRing);
    }

    const QFont font = labelFont(this->font(), metrics);
    const QFontMetrics fontMetrics(font);
    const QSize label = labelSize();
    const int available = width() - 2 * metrics.horizontalPadding;
    const int left = metrics.horizontalPadding + std::max(0, (available - label.width()) / 2);
    int x = left;
    if (!m_symbolName.isEmpty() || isBusy()) {
        const int side = symbolSide();
        const QRect symbolRect(x, (height() - side) / 2, side, side);
        if (isBusy()) {
            if (m_spinner->geometry() != symbolRect) {
                m_spinner->setGeometry(symbolRect);
            }
            m_spinner->setColor(look.foreground);
        } else {
            const QPixmap symbol =
                kitIconPixmap(m_symbolName, look.foreground, symbolRect.size(), painter.device()->devicePixelRatioF());
            painter.drawPixmap(symbolRect.topLeft(), symbol);
        }
        x += side + TavlenButtonMetrics::iconTitleSpacing;
    }
    if (!text().isEmpty()) {
        painter.setFont(font);
        painter.setPen(look.foreground);
        const int textWidth = std::max(0, width() - metrics.horizontalPadding - x);
        const QString shown = fontMetrics.elidedText(text(), Qt::ElideRight, textWidth);
        painter.drawText(
            QRect(x, 0, textWidth, height()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }
}

void TavlenButton::enterEvent(QEnterEvent* event)
{
    setHovered(true);
    QAbstractButton::enterEvent(event);
}

void TavlenButton::leaveEvent(QEvent* event)
{
    setHovered(false);
    QAbstractButton::leaveEvent(event);
}

void TavlenButton::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::EnabledChange:
        updateHoverTarget();
        break;
    case QEvent::FontChange:
        updateGeometry();
        break;
    default:
        break;
    }
    update();
    QAbstractButton::changeEvent(event);
}

bool TavlenButton::hitButton(const QPoint& position) const
{
    return rect().contains(position);
}

void TavlenButton::setHovered(bool hovered)
{
    if (hovered == m_hovered) {
        return;
    }
    m_hovered = hovered;
    updateHoverTarget();
}

void TavlenButton::updateHoverTarget()
{
    const double target = (m_hovered && isEnabled()) ? 1.0 : 0.0;
    const double heading = m_hoverAnimation->state() == QAbstractAnimation::Running
                               ? m_hoverAnimation->endValue().toDouble()
                               : m_hoverProgress;
    if (target == heading) {
        return;
    }
    m_hoverAnimation->stop();
    if (!isVisible()) {
        m_hoverProgress = target;
        update();
        return;
    }
    m_hoverAnimation->setStartValue(m_hoverProgress);
    m_hoverAnimation->setEndValue(target);
    m_hoverAnimation->start();
}

} // namespace tavlen::ui
