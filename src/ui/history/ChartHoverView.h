#pragma once

#ifndef Q_MOC_RUN
#include "ChartHoverController.h"
#endif

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace tavlen::ui {

class KitPopup;

// An item under the pointer and how to build its tooltip's content.
struct ChartHoverItem
{
    ChartHoverTarget target;
    std::function<QWidget*()> makeContent;
};

// The transparent layer over a lane that turns the pointer into a hover selection with a tooltip in the kit's
// hover popup, above the item. A subclass supplies only the item under a point. While a tooltip is up the layer
// watches the application's keys, wheels and moves: Escape or a wheel outside the tooltip closes it, a move
// elsewhere hovers again. Hiding the layer or the application going inactive closes it too.
class ChartHoverView : public QWidget, private ChartHoverSurface
{
    Q_OBJECT

public:
    explicit ChartHoverView(QWidget* parent = nullptr);
    ~ChartHoverView() override;

    ChartHoverController& controller() { return *m_controller; }

    const std::optional<Uuid>& selectedID() const { return m_controller->selectedID(); }

    // The popup while a tooltip is up.
    KitPopup* tooltip() const;

protected:
    virtual std::optional<ChartHoverItem> hoverItem(QPointF point) const = 0;

    void enterEvent(QEnterEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TimerClock : public ChartHoverClock
    {
    public:
        TimerClock();
        void start(std::chrono::milliseconds delay, std::function<void()> callback) override;
        void stop() override;

    private:
        QTimer m_timer;
        std::function<void()> m_callback;
    };

    bool hasWindow() const override;
    QPointF cursorPosition() const override;
    QRectF visibleRect() const override;
    std::optional<ChartHoverTarget> hoverTarget(QPointF point) const override;
    bool isMouseInsideTooltip() const override;
    bool isTooltipShown() const override;
    void showTooltip(const ChartHoverTarget& target) override;
    void moveTooltip(const QRectF& rect) override;
    void closeTooltip() override;
    void setEventMonitorInstalled(bool installed) override;

    void handleApplicationState(Qt::ApplicationState state);

    TimerClock m_clock;
    QPointF m_cursor;
    QPointF m_globalCursor;
    mutable std::function<QWidget*()> m_lastContent;
    QWidget* m_anchor;
    QPointer<KitPopup> m_popup;
    bool m_isClosingTooltip = false;
    std::unique_ptr<ChartHoverController> m_controller;
};

} // namespace tavlen::ui
