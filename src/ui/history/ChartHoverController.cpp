#include "ChartHoverController.h"

namespace tavlen::ui {

ChartHoverController* ChartHoverController::s_active = nullptr;

ChartHoverController::ChartHoverController(ChartHoverSurface& surface, ChartHoverClock& clock)
    : m_surface(surface)
    , m_clock(clock)
{}

ChartHoverController::~ChartHoverController()
{
    if (s_active == this) {
        s_active = nullptr;
    }
    m_clock.stop();
}

ChartHoverController::State ChartHoverController::state() const
{
    if (!m_selectedID) {
        return State::idle;
    }
    return m_isDismissalPending ? State::pending : State::shown;
}

void ChartHoverController::update(const Uuid& snapshotID,
                                  const std::optional<QRectF>& selectedRect,
                                  SelectionChanged onSelectionChange)
{
    if (m_snapshotID != snapshotID) {
        dismissTooltip(false);
    }
    m_snapshotID = snapshotID;
    m_onSelectionChange = std::move(onSelectionChange);
    if (m_isUpdatingPopover || !m_surface.isTooltipShown() || !selectedRect) {
        return;
    }
    m_surface.moveTooltip(*selectedRect);
}

void ChartHoverController::refreshHover()
{
    if (!m_surface.hasWindow()) {
        return;
    }
    if (s_active && s_active->m_surface.isMouseInsideTooltip()) {
        return;
    }
    updateHover(m_surface.cursorPosition());
}

void ChartHoverController::updateHover(QPointF point)
{
    if (m_isUpdatingPopover) {
        return;
    }
    const QRectF visible = m_surface.visibleRect();
    const bool inside = point.x() >= visible.left() && point.x() < visible.right() && point.y() >= visible.top() &&
                        point.y() < visible.bottom();
    const std::optional<ChartHoverTarget> target = inside ? m_surface.hoverTarget(point) : std::nullopt;
    if (!target || !m_surface.hasWindow()) {
        scheduleDismissal();
        return;
    }
    cancelDismissal();
    if (s_active != this) {
        if (s_active) {
            s_active->dismissTooltip(true);
        }
        s_active = this;
    }
    if (m_selectedID == target->id) {
        return;
    }
    m_isUpdatingPopover = true;
    m_selectedID = target->id;
    m_isTooltipHovered = false;
    if (m_onSelectionChange) {
        m_onSelectionChange(target->id);
    }
    m_surface.showTooltip(*target);
    if (!m_isMonitorInstalled) {
        m_surface.setEventMonitorInstalled(true);
        m_isMonitorInstalled = true;
    }
    m_isUpdatingPopover = false;
}

void ChartHoverController::handleMonitoredEvent(MonitoredEvent event, bool sameWindow)
{
    if (s_active != this) {
        return;
    }
    switch (event) {
    case MonitoredEvent::escapeKey:
        dismissTooltip(true);
        return;
    case MonitoredEvent::otherKey:
        return;
    case MonitoredEvent::mouseMove:
    case MonitoredEvent::drag:
    case MonitoredEvent::wheel:
        if (m_surface.isMouseInsideTooltip()) {
            cancelDismissal();
            return;
        }
        if (event == MonitoredEvent::wheel) {
            dismissTooltip(true);
        } else if (sameWindow) {
            refreshHover();
        } else {
            scheduleDismissal();
        }
        return;
    }
}

void ChartHoverController::setTooltipHovered(bool hovered)
{
    if (s_active != this) {
        return;
    }
    m_isTooltipHovered = hovered;
    if (hovered) {
        cancelDismissal();
    } else {
        scheduleDismissal();
    }
}

void ChartHoverController::scheduleDismissal()
{
    if (!m_selectedID || m_isDismissalPending) {
        return;
    }
    m_isDismissalPending = true;
    m_clock.start(dismissalDelay, [this] {
        m_isDismissalPending = false;
        if (!m_isTooltipHovered && !m_surface.isMouseInsideTooltip()) {
            dismissTooltip(true);
        }
    });
}

void ChartHoverController::cancelDismissal()
{
    if (m_isDismissalPending) {
        m_clock.stop();
        m_isDismissalPending = false;
    }
}

void ChartHoverController::dismissTooltip(bool notify)
{
    if (s_active == this) {
        s_active = nullptr;
    }
    cancelDismissal();
    if (m_isMonitorInstalled) {
        m_surface.setEventMonitorInstalled(false);
        m_isMonitorInstalled = false;
    }
    const bool wasSelected = m_selectedID.has_value();
    m_selectedID.reset();
    m_isTooltipHovered = false;
    m_surface.closeTooltip();
    if (notify && wasSelected && m_onSelectionChange) {
        m_onSelectionChange(std::nullopt);
    }
}

void ChartHoverController::tooltipDidClose()
{
    if (m_selectedID) {
        dismissTooltip(true);
    }
}

} // namespace tavlen::ui
