#pragma once

#include "Uuid.h"

#include <QPointF>
#include <QRectF>

#include <chrono>
#include <functional>
#include <optional>

namespace tavlen::ui {

// What a lane offers under a point: the item's id and the rectangle its tooltip points at.
struct ChartHoverTarget
{
    Uuid id;
    QRectF rect;
};

// One pending callback at a time; the hover layer's delayed dismissal runs on it. Tests advance it by hand.
class ChartHoverClock
{
public:
    virtual ~ChartHoverClock() = default;
    // Replaces any pending callback.
    virtual void start(std::chrono::milliseconds delay, std::function<void()> callback) = 0;
    virtual void stop() = 0;
};

// The widget side the controller drives: its window, the cursor, the lane's hit test and the tooltip popup.
class ChartHoverSurface
{
public:
    virtual ~ChartHoverSurface() = default;
    virtual bool hasWindow() const = 0;
    // The cursor in the lane's coordinates, read now rather than from an event.
    virtual QPointF cursorPosition() const = 0;
    virtual QRectF visibleRect() const = 0;
    virtual std::optional<ChartHoverTarget> hoverTarget(QPointF point) const = 0;
    virtual bool isMouseInsideTooltip() const = 0;
    virtual bool isTooltipShown() const = 0;
    // Builds the target's content and shows the tooltip above its rectangle, or moves the one shown there.
    virtual void showTooltip(const ChartHoverTarget& target) = 0;
    virtual void moveTooltip(const QRectF& rect) = 0;
    virtual void closeTooltip() = 0;
    // While a tooltip is up the surface watches keys, wheels and moves of the whole application.
    virtual void setEventMonitorInstalled(bool installed) = 0;
};

// The hover selection of one lane: idle, shown (a tooltip is up for selectedID) or pending (shown, closing in
// 150 ms unless the pointer comes back). At most one controller of the application shows a tooltip. Main thread.
class ChartHoverController
{
public:
    enum class State
    {
        idle,
        shown,
        pending
    };
    enum class MonitoredEvent
    {
        escapeKey,
        otherKey,
        mouseMove,
        drag,
        wheel
    };
    using SelectionChanged = std::function<void(const std::optional<Uuid>&)>;

    static constexpr std::chrono::milliseconds dismissalDelay{150};

    ChartHoverController(ChartHoverSurface& surface, ChartHoverClock& clock);
    ~ChartHoverController();
    ChartHoverController(const ChartHoverController&) = delete;
    ChartHoverController& operator=(const ChartHoverController&) = delete;

    State state() const;

    const std::optional<Uuid>& selectedID() const { return m_selectedID; }

    static ChartHoverController* active() { return s_active; }

    // The lane's data changed: another snapshot closes the tooltip silently; a shown tooltip follows its item.
    void update(const Uuid& snapshotID, const std::optional<QRectF>& selectedRect, SelectionChanged onSelectionChange);
    // Hover again at the cursor (pointer entered or moved over the lane).
    void refreshHover();
    void updateHover(QPointF point);

    void pointerExited() { scheduleDismissal(); }

    // sameWindow: the event's window is the lane's (or neither has one).
    void handleMonitoredEvent(MonitoredEvent event, bool sameWindow);
    void setTooltipHovered(bool hovered);
    void dismissTooltip(bool notify);
    // The popup closed without the controller asking.
    void tooltipDidClose();

    void applicationDeactivated() { dismissTooltip(true); }

private:
    void scheduleDismissal();
    void cancelDismissal();

    ChartHoverSurface& m_surface;
    ChartHoverClock& m_clock;
    std::optional<Uuid> m_selectedID;
    bool m_isUpdatingPopover = false;
    std::optional<Uuid> m_snapshotID;
    SelectionChanged m_onSelectionChange;
    bool m_isMonitorInstalled = false;
    bool m_isDismissalPending = false;
    bool m_isTooltipHovered = false;

    static ChartHoverController* s_active;
};

} // namespace tavlen::ui
