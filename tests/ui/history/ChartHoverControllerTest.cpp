#include "ChartHoverController.h"

#include "ChartUiTestValues.h"

#include <gtest/gtest.h>

#include <map>

namespace tavlen::ui {
namespace {

using test::chartID;
using State = ChartHoverController::State;
using Event = ChartHoverController::MonitoredEvent;

// Virtual time: the pending callback runs when the test advances past it.
class VirtualClock : public ChartHoverClock
{
public:
    void start(std::chrono::milliseconds delay, std::function<void()> callback) override
    {
        m_due = m_now + delay;
        m_callback = std::move(callback);
    }

    void stop() override { m_callback = nullptr; }

    void advance(std::chrono::milliseconds by)
    {
        m_now += by;
        if (m_callback && m_now >= m_due) {
            std::function<void()> callback = std::move(m_callback);
            m_callback = nullptr;
            callback();
        }
    }

private:
    std::chrono::milliseconds m_now{0};
    std::chrono::milliseconds m_due{0};
    std::function<void()> m_callback;
};

// A lane whose items are 10-point-wide columns: x 0-10 is item 1, 20-30 item 2; the cursor and the tooltip are
// scripted.
class ScriptedSurface : public ChartHoverSurface
{
public:
    bool hasWindow() const override { return window; }

    QPointF cursorPosition() const override { return cursor; }

    QRectF visibleRect() const override { return {0, 0, 100, 20}; }

    std::optional<ChartHoverTarget> hoverTarget(QPointF point) const override
    {
        const int column = static_cast<int>(point.x()) / 10;
        if (column % 2 != 0) {
            return std::nullopt;
        }
        return ChartHoverTarget{chartID(column / 2 + 1), QRectF(column * 10, 0, 10, 20)};
    }

    bool isMouseInsideTooltip() const override { return mouseInTooltip; }

    bool isTooltipShown() const override { return shown.has_value(); }

    void showTooltip(const ChartHoverTarget& target) override
    {
        shown = target.id;
        at = target.rect;
        ++contentBuilds;
    }

    void moveTooltip(const QRectF& rect) override { at = rect; }

    void closeTooltip() override { shown.reset(); }

    void setEventMonitorInstalled(bool installed) override { monitor = installed; }

    bool window = true;
    QPointF cursor;
    bool mouseInTooltip = false;
    std::optional<Uuid> shown;
    QRectF at;
    int contentBuilds = 0;
    bool monitor = false;
};

struct Lane
{
    Lane()
        : controller(surface, clock)
    {
        controller.update(chartID(100), std::nullopt, [this](const std::optional<Uuid>& id) { told.push_back(id); });
    }

    void moveTo(double x, double y = 10)
    {
        surface.cursor = {x, y};
        controller.refreshHover();
    }

    ScriptedSurface surface;
    VirtualClock clock;
    ChartHoverController controller;
    std::vector<std::optional<Uuid>> told;
};

using std::chrono::milliseconds;

TEST(ChartHoverControllerTest, movingFromItemToItemReplacesTheTooltipWithoutClosingIt)
{
    Lane lane;
    EXPECT_EQ(lane.controller.state(), State::idle);
    lane.moveTo(5);
    EXPECT_EQ(lane.controller.state(), State::shown);
    EXPECT_EQ(lane.surface.shown, chartID(1));
    EXPECT_TRUE(lane.surface.monitor);
    EXPECT_EQ(ChartHoverController::active(), &lane.controller);
    lane.moveTo(7); // same item: nothing rebuilt, nothing told
    lane.moveTo(25);
    EXPECT_EQ(lane.surface.shown, chartID(2));
    EXPECT_EQ(lane.surface.at, QRectF(20, 0, 10, 20));
    EXPECT_EQ(lane.surface.contentBuilds, 2);
    EXPECT_EQ(lane.told, (std::vector<std::optional<Uuid>>{chartID(1), chartID(2)}));
}

TEST(ChartHoverControllerTest, leavingAnItemClosesAfterTheDelayUnlessThePointerComesBack)
{
    Lane lane;
    lane.moveTo(5);
    lane.moveTo(15); // empty area
    EXPECT_EQ(lane.controller.state(), State::pending);
    lane.clock.advance(milliseconds(149));
    lane.moveTo(5); // back within the delay: no callback at all
    EXPECT_EQ(lane.controller.state(), State::shown);
    lane.clock.advance(milliseconds(500));
    EXPECT_EQ(lane.controller.state(), State::shown);
    EXPECT_EQ(lane.told, (std::vector<std::optional<Uuid>>{chartID(1)}));

    lane.controller.pointerExited();
    lane.clock.advance(milliseconds(150));
    EXPECT_EQ(lane.controller.state(), State::idle);
    EXPECT_FALSE(lane.surface.shown);
    EXPECT_FALSE(lane.surface.monitor);
    EXPECT_EQ(ChartHoverController::active(), nullptr);
    EXPECT_EQ(lane.told, (std::vector<std::optional<Uuid>>{chartID(1), std::nullopt}));
}

TEST(ChartHoverControllerTest, thePointerInsideTheTooltipKeepsItOpen)
{
    Lane lane;
    lane.moveTo(5);
    lane.controller.pointerExited();
    lane.controller.setTooltipHovered(true);
    lane.clock.advance(milliseconds(1000));
    EXPECT_EQ(lane.controller.state(), State::shown);
    lane.controller.setTooltipHovered(false); // leaving the tooltip starts the delay again
    EXPECT_EQ(lane.controller.state(), State::pending);
    lane.surface.mouseInTooltip = true; // the delay ends with the mouse over the tooltip
    lane.clock.advance(milliseconds(150));
    EXPECT_EQ(lane.controller.state(), State::shown);
    // Moves and wheels inside the tooltip only cancel a pending dismissal.
    lane.controller.pointerExited();
    lane.controller.handleMonitoredEvent(Event::wheel, true);
    EXPECT_EQ(lane.controller.state(), State::shown);
}

TEST(ChartHoverControllerTest, monitoredEventsDismiss)
{
    struct Row
    {
        const char* name;
        Event event;
        bool sameWindow;
        State after;
        bool notified;
    };

    const Row rows[] = {
        {"Escape closes", Event::escapeKey, true, State::idle, true},
        {"another key does nothing", Event::otherKey, true, State::shown, false},
        {"a wheel outside the tooltip closes", Event::wheel, true, State::idle, true},
        {"a move in the lane's window hovers again: off the item", Event::mouseMove, true, State::pending, false},
        {"a drag in another window starts the delay", Event::drag, false, State::pending, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Lane lane;
        lane.moveTo(5);
        lane.surface.cursor = {15, 10};
        lane.controller.handleMonitoredEvent(row.event, row.sameWindow);
        EXPECT_EQ(lane.controller.state(), row.after);
        EXPECT_EQ(lane.told.size(), row.notified ? 2u : 1u);
    }
}

TEST(ChartHoverControllerTest, oneLaneShowsATooltipAtATime)
{
    Lane first;
    Lane second;
    first.moveTo(5);
    second.moveTo(25);
    EXPECT_EQ(first.controller.state(), State::idle);
    EXPECT_EQ(first.told, (std::vector<std::optional<Uuid>>{chartID(1), std::nullopt}));
    EXPECT_EQ(second.controller.state(), State::shown);
    EXPECT_EQ(ChartHoverController::active(), &second.controller);
    // Events reach only the active lane.
    first.controller.handleMonitoredEvent(Event::escapeKey, true);
    EXPECT_EQ(second.controller.state(), State::shown);
}

TEST(ChartHoverControllerTest, silentAndNotifiedDismissals)
{
    struct Row
    {
        const char* name;
        std::function<void(Lane&)> act;
        bool notified;
    };

    const std::vector<Row> rows{
        {"another snapshot", [](Lane& lane) { lane.controller.update(chartID(101), std::nullopt, {}); }, false},
        {"leaving the window or dismantling", [](Lane& lane) { lane.controller.dismissTooltip(false); }, false},
        {"the application resigned active", [](Lane& lane) { lane.controller.applicationDeactivated(); }, true},
        {"the popup closed from outside", [](Lane& lane) { lane.controller.tooltipDidClose(); }, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Lane lane;
        lane.moveTo(5);
        row.act(lane);
        EXPECT_EQ(lane.controller.state(), State::idle);
        EXPECT_FALSE(lane.surface.shown);
        EXPECT_EQ(lane.told.size(), row.notified ? 2u : 1u);
    }
}

TEST(ChartHoverControllerTest, theSameSnapshotMovesTheTooltipToItsItem)
{
    Lane lane;
    lane.moveTo(5);
    lane.controller.update(chartID(100), QRectF(3, 0, 10, 20), [](const std::optional<Uuid>&) {});
    EXPECT_EQ(lane.controller.state(), State::shown);
    EXPECT_EQ(lane.surface.at, QRectF(3, 0, 10, 20));
}

TEST(ChartHoverControllerTest, withoutAWindowNothingShows)
{
    Lane lane;
    lane.surface.window = false;
    lane.moveTo(5);
    lane.controller.updateHover({5, 10});
    EXPECT_EQ(lane.controller.state(), State::idle);
    EXPECT_TRUE(lane.told.empty());
    lane.controller.updateHover({500, 10}); // outside the visible rectangle
    EXPECT_EQ(lane.controller.state(), State::idle);
}

} // namespace
} // namespace tavlen::ui
