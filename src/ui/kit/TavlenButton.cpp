#include "TavlenButton.h"

#include "ProgressSpinner.h"
#include "TavlenButtonPainter.h"

#include <QEnterEvent>
#include <QPainter>
#include <QVariantAnimation>

namespace tavlen::ui {

namespace {

constexpr int hoverFadeMilliseconds = 100;

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

TavlenButtonLabel TavlenButton::label() const
{
    return {text(), m_symbolName, isBusy()};
}

QSize TavlenButton::sizeHint() const
{
    return tavlenButtonSize(m_style, label(), font());
}

void TavlenButton::paintEvent(QPaintEvent*)
{
    const TavlenButtonAppearance look = currentAppearance();
    QPainter painter(this);
    const QRect symbolRect = paintTavlenButton(painter, rect(), m_style, look, label(), font());
    if (m_spinner) {
        if (m_spinner->geometry() != symbolRect) {
            m_spinner->setGeometry(symbolRect);
        }
        m_spinner->setColor(look.foreground);
    }
}

QSize TavlenButton::minimumSizeHint() const
{
    return sizeHint();
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
