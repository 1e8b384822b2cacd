#include "ChartNumberChartAccessible.h"

#include "ChartNumberChart.h"
#include "ChartsText.h"
#include "Formatting.h"
#include "QtText.h"

#include <QPointer>

#include <limits>

namespace tavlen::ui {

namespace {

// One mark of a lane, read from the lane's current drawing each time it is asked.
class MarkAccessible : public QAccessibleInterface
{
public:
    MarkAccessible(ChartNumberChart* lane, std::size_t index)
        : m_lane(lane)
        , m_index(index)
    {}

    bool isValid() const override { return mark().has_value(); }

    QObject* object() const override { return nullptr; }

    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_lane.data()); }

    QAccessibleInterface* child(int) const override { return nullptr; }

    int childCount() const override { return 0; }

    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text t) const override
    {
        const std::optional<ChartNumberMark> shown = mark();
        if (t != QAccessible::Name || !shown) {
            return {};
        }
        return toQString(chartsText::markTime) + formatMoment(shown->timeMilliseconds) +
               toQString(chartsText::markValue) + formatNumber(shown->value);
    }

    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        const std::optional<ChartNumberMark> shown = mark();
        if (!shown) {
            return {};
        }
        constexpr int side = 8;
        const QPoint centre = m_lane->mapToGlobal(m_lane->markPosition(*shown).toPoint());
        return {centre.x() - side / 2, centre.y() - side / 2, side, side};
    }

    QAccessible::Role role() const override { return QAccessible::Graphic; }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = !m_lane || !m_lane->isVisible();
        return state;
    }

private:
    std::optional<ChartNumberMark> mark() const
    {
        if (!m_lane) {
            return std::nullopt;
        }
        return numberLaneMark(m_lane->drawnSegments(), m_lane->drawing().points, m_index);
    }

    QPointer<ChartNumberChart> m_lane;
    std::size_t m_index;
};

QAccessibleInterface* numberChartFactory(const QString& key, QObject* object)
{
    if (key == QLatin1String(ChartNumberChart::staticMetaObject.className())) {
        if (auto* lane = qobject_cast<ChartNumberChart*>(object)) {
            return new ChartNumberChartAccessible(lane);
        }
    }
    return nullptr;
}

} // namespace

ChartNumberChartAccessible::ChartNumberChartAccessible(ChartNumberChart* lane)
    : QAccessibleWidget(lane, QAccessible::Chart)
{}

ChartNumberChartAccessible::~ChartNumberChartAccessible()
{
    for (const auto& [index, id] : m_marks) {
        QAccessible::deleteAccessibleInterface(id);
    }
}

void ChartNumberChartAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(numberChartFactory);
        return true;
    }();
    (void)installed;
}

ChartNumberChart* ChartNumberChartAccessible::lane() const
{
    return static_cast<ChartNumberChart*>(widget());
}

int ChartNumberChartAccessible::widgetChildCount() const
{
    return QAccessibleWidget::childCount();
}

int ChartNumberChartAccessible::childCount() const
{
    const std::size_t marks = numberLaneMarkCount(lane()->drawnSegments(), lane()->drawing().points);
    const std::size_t room = static_cast<std::size_t>(std::numeric_limits<int>::max() - widgetChildCount());
    return widgetChildCount() + static_cast<int>(std::min(marks, room));
}

QAccessibleInterface* ChartNumberChartAccessible::child(int index) const
{
    if (index < widgetChildCount()) {
        return QAccessibleWidget::child(index);
    }
    if (index >= childCount()) {
        return nullptr;
    }
    const int mark = index - widgetChildCount();
    if (const auto found = m_marks.find(mark); found != m_marks.end()) {
        return QAccessible::accessibleInterface(found->second);
    }
    auto* made = new MarkAccessible(lane(), static_cast<std::size_t>(mark));
    m_marks.emplace(mark, QAccessible::registerAccessibleInterface(made));
    return made;
}

int ChartNumberChartAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    for (const auto& [index, id] : m_marks) {
        if (QAccessible::accessibleInterface(id) == child) {
            return widgetChildCount() + index;
        }
    }
    return QAccessibleWidget::indexOfChild(child);
}

} // namespace tavlen::ui
