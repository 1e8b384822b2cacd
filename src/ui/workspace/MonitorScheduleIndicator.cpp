#include "MonitorScheduleIndicator.h"

#include "Formatting.h"
#include "Icons.h"
#include "KitColors.h"
#include "WorkspaceViewText.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QPropertyAnimation>
#include <QToolTip>

namespace tavlen::ui {

QString scheduleIndicatorHelpText(const Monitor& monitor,
                                  const std::optional<ScheduleState>& state,
                                  const ScheduleCalculator& calculator,
                                  Date now)
{
    const MonitorSchedulePreferences& preferences = monitor.schedule.preferences;
    if (!preferences.scheduleEnabled) {
        return text::scheduleDisabled;
    }
    if (!state) {
        return text::scheduleEnabled;
    }
    const auto occurrence = calculator.nextOccurrence(preferences.rule, *state, now);
    if (!occurrence) {
        return text::scheduleEnabled;
    }
    return text::nextCheckAt +
           formatDateTime(occurrence->due.milliseconds(), DateStyle::abbreviated, TimeStyle::shortened);
}

MonitorScheduleIndicator::MonitorScheduleIndicator(
    Monitor monitor, std::optional<ScheduleState> state, Size size, QWidget* parent, std::function<Date()> now)
    : QWidget(parent)
    , m_monitor(std::move(monitor))
    , m_state(std::move(state))
    , m_size(size)
    , m_now(now ? std::move(now) : std::function<Date()>(&Date::now))
    , m_image(new QLabel(this))
    , m_fade(new QGraphicsOpacityEffect(m_image))
    , m_fadeAnimation(new QPropertyAnimation(m_fade, "opacity", this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_image, 0, Qt::AlignCenter);
    setFixedWidth(size == Size::detail ? 36 : 24);
    m_image->setAlignment(Qt::AlignCenter);
    m_image->setGraphicsEffect(m_fade);
    m_fade->setOpacity(1);
    m_fadeAnimation->setDuration(250);
    m_fadeAnimation->setStartValue(0.0);
    m_fadeAnimation->setEndValue(1.0);
    showImage(false);
}

bool MonitorScheduleIndicator::isScheduleEnabled() const
{
    return m_monitor.schedule.preferences.scheduleEnabled;
}

QString MonitorScheduleIndicator::helpText() const
{
    return scheduleIndicatorHelpText(m_monitor, m_state, ScheduleCalculator::inCurrentZone(), m_now());
}

void MonitorScheduleIndicator::setMonitor(const Monitor& monitor)
{
    const bool wasEnabled = isScheduleEnabled();
    m_monitor = monitor;
    showImage(wasEnabled != isScheduleEnabled());
}

void MonitorScheduleIndicator::setScheduleState(std::optional<ScheduleState> state)
{
    m_state = std::move(state);
}

bool MonitorScheduleIndicator::event(QEvent* event)
{
    // The next due time depends on the moment it is read, so it is computed when the tooltip is asked for.
    if (event->type() == QEvent::ToolTip) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), helpText(), this);
        return true;
    }
    if (event->type() == QEvent::PaletteChange) {
        showImage(false); // the eye is tinted with the text colour (a selected row, a change of appearance)
    }
    return QWidget::event(event);
}

void MonitorScheduleIndicator::showImage(bool animated)
{
    const bool enabled = isScheduleEnabled();
    const int side = m_size == Size::detail ? 28 : 18;
    m_image->setPixmap(kitIconPixmap(enabled ? QStringLiteral("EyeOpen") : QStringLiteral("EyeClosed"),
                                     primaryColor(palette()),
                                     QSize(side, side),
                                     devicePixelRatioF()));
    setAccessibleName(enabled ? text::scheduleEnabled : text::scheduleDisabled);
    if (animated) {
        // One cross-fade into the new image: the replace transition where the toolkit has no symbol effects.
        m_fadeAnimation->stop();
        m_fadeAnimation->start();
    }
}

} // namespace tavlen::ui
