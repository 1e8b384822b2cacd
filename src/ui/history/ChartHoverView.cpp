#include "ChartHoverView.h"

#include "KitPopup.h"

#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

namespace tavlen::ui {

namespace {

constexpr QSize tooltipProposal(320, 240);

} // namespace

ChartHoverView::TimerClock::TimerClock()
{
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
        std::function<void()> callback = std::move(m_callback);
        m_callback = nullptr;
        if (callback) {
            callback();
        }
    });
}

void ChartHoverView::TimerClock::start(std::chrono::milliseconds delay, std::function<void()> callback)
{
    m_callback = std::move(callback);
    m_timer.start(delay);
}

void ChartHoverView::TimerClock::stop()
{
    m_timer.stop();
    m_callback = nullptr;
}

ChartHoverView::ChartHoverView(QWidget* parent)
    : QWidget(parent)
    , m_anchor(new QWidget(this))
    , m_controller(std::make_unique<ChartHoverController>(static_cast<ChartHoverSurface&>(*this), m_clock))
{
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
    m_anchor->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_anchor->hide();
    connect(qApp, &QGuiApplication::applicationStateChanged, this, &ChartHoverView::handleApplicationState);
}

ChartHoverView::~ChartHoverView()
{
    m_controller->dismissTooltip(false);
    m_controller.reset();
    if (m_popup) {
        m_popup->removeEventFilter(this);
        delete m_popup;
    }
}

KitPopup* ChartHoverView::tooltip() const
{
    return m_popup && m_popup->isVisible() ? m_popup.data() : nullptr;
}

void ChartHoverView::enterEvent(QEnterEvent* event)
{
    m_cursor = event->position();
    m_globalCursor = event->globalPosition();
    m_controller->refreshHover();
}

void ChartHoverView::mouseMoveEvent(QMouseEvent* event)
{
    m_cursor = event->position();
    m_globalCursor = event->globalPosition();
    m_controller->refreshHover();
}

void ChartHoverView::leaveEvent(QEvent*)
{
    m_controller->pointerExited();
}

void ChartHoverView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_controller->dismissTooltip(false);
}

bool ChartHoverView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_popup.data()) {
        if (event->type() == QEvent::Enter) {
            m_controller->setTooltipHovered(true);
        } else if (event->type() == QEvent::Leave) {
            m_controller->setTooltipHovered(false);
        } else if (event->type() == QEvent::Hide && !m_isClosingTooltip) {
            m_controller->tooltipDidClose();
        }
        return false;
    }
    using Event = ChartHoverController::MonitoredEvent;
    auto* widget = qobject_cast<QWidget*>(watched);
    // Every event passes on unchanged, Escape included.
    switch (event->type()) {
    case QEvent::KeyPress: {
        const bool escape = static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
        m_controller->handleMonitoredEvent(escape ? Event::escapeKey : Event::otherKey, true);
        break;
    }
    case QEvent::MouseMove:
    case QEvent::Wheel: {
        if (!widget || watched == this) {
            break; // this layer's own moves arrive as mouse events already
        }
        const auto* pointer = static_cast<QSinglePointEvent*>(event);
        m_globalCursor = pointer->globalPosition();
        m_cursor = mapFromGlobal(m_globalCursor);
        const bool dragging = event->type() == QEvent::MouseMove && (pointer->buttons() & Qt::LeftButton);
        const Event kind = event->type() == QEvent::Wheel ? Event::wheel : (dragging ? Event::drag : Event::mouseMove);
        m_controller->handleMonitoredEvent(kind, widget->window() == window());
        break;
    }
    default:
        break;
    }
    return false;
}

bool ChartHoverView::hasWindow() const
{
    return isVisible() && window() && window()->isVisible();
}

QPointF ChartHoverView::cursorPosition() const
{
    return m_cursor;
}

QRectF ChartHoverView::visibleRect() const
{
    return QRectF(visibleRegion().boundingRect());
}

std::optional<ChartHoverTarget> ChartHoverView::hoverTarget(QPointF point) const
{
    std::optional<ChartHoverItem> item = hoverItem(point);
    if (!item) {
        return std::nullopt;
    }
    m_lastContent = std::move(item->makeContent);
    return item->target;
}

bool ChartHoverView::isMouseInsideTooltip() const
{
    return m_popup && m_popup->isVisible() && m_popup->frameGeometry().contains(m_globalCursor.toPoint());
}

bool ChartHoverView::isTooltipShown() const
{
    return m_popup && m_popup->isVisible();
}

void ChartHoverView::showTooltip(const ChartHoverTarget& target)
{
    if (!m_popup) {
        m_popup = new KitPopup(KitPopup::Kind::hover);
        // The pointer may travel into the tooltip to select and scroll its text.
        m_popup->setAttribute(Qt::WA_TransparentForMouseEvents, false);
        m_popup->setSizeRule([](QSize hint) { return hint.boundedTo(tooltipProposal); });
        m_popup->installEventFilter(this);
    }
    m_popup->setContent(m_lastContent ? m_lastContent() : nullptr);
    moveTooltip(target.rect);
}

void ChartHoverView::moveTooltip(const QRectF& rect)
{
    m_anchor->setGeometry(rect.toAlignedRect());
    m_popup->showAt(m_anchor, PopupEdge::above);
}

void ChartHoverView::closeTooltip()
{
    if (m_popup && m_popup->isVisible()) {
        m_isClosingTooltip = true;
        m_popup->hide();
        m_isClosingTooltip = false;
    }
    if (m_popup) {
        m_popup->setContent(nullptr);
    }
}

void ChartHoverView::setEventMonitorInstalled(bool installed)
{
    if (installed) {
        qApp->installEventFilter(this);
    } else {
        qApp->removeEventFilter(this);
    }
}

void ChartHoverView::handleApplicationState(Qt::ApplicationState state)
{
    if (state != Qt::ApplicationActive) {
        m_controller->applicationDeactivated();
    }
}

} // namespace tavlen::ui
