#include "SchedulePreviewView.h"

#include "Accessibility.h"
#include "KitColors.h"
#include "ScheduleCalculator.h"
#include "ScheduleEditing.h"
#include "TextStyles.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

constexpr int tickMilliseconds = 30'000;

} // namespace

SchedulePreviewView::SchedulePreviewView(QWidget* parent, std::function<Date()> now)
    : QWidget(parent)
    , m_now(now ? std::move(now) : std::function<Date()>(&Date::now))
    , m_tick(new QTimer(this))
    , m_summary(new QLabel(this))
    , m_enabledLabel(new QLabel(this))
    , m_heading(new QLabel(this))
    , m_times(new QLabel(this))
    , m_count(new QLabel(this))
    , m_zone(new QLabel(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    QPalette secondary = palette();
    secondary.setColor(QPalette::WindowText, secondaryColor(palette()));
    for (QLabel* label : {m_summary, m_enabledLabel, m_heading, m_times, m_count, m_zone}) {
        label->setFont(textStyleFont(TextStyle::callout));
        label->setPalette(secondary);
        label->setWordWrap(true);
    }
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont enabledFont = textStyleFont(TextStyle::subheadline);
    enabledFont.setWeight(QFont::Medium);
    m_enabledLabel->setFont(enabledFont);
    auto* times = new QVBoxLayout;
    times->setSpacing(4);
    times->addWidget(m_heading);
    times->addWidget(m_times);
    layout->addWidget(m_summary);
    layout->addWidget(m_enabledLabel);
    layout->addLayout(times);
    layout->addWidget(m_count);
    layout->addWidget(m_zone);
    setIdentifier(m_summary, QStringLiteral("schedule-preview-summary"));
    setIdentifier(m_heading, QStringLiteral("schedule-preview-heading"));
    setIdentifier(m_times, QStringLiteral("schedule-preview-times"));
    setIdentifier(m_count, QStringLiteral("schedule-preview-count"));
    setIdentifier(m_zone, QStringLiteral("schedule-preview-zone"));
    m_tick->setInterval(tickMilliseconds);
    connect(m_tick, &QTimer::timeout, this, &SchedulePreviewView::refresh);
}

void SchedulePreviewView::setSchedule(std::optional<ScheduleRule> rule,
                                      bool enabled,
                                      std::optional<ScheduleState> state)
{
    m_rule = std::move(rule);
    m_enabled = enabled;
    m_state = std::move(state);
    refresh();
}

void SchedulePreviewView::refresh()
{
    for (QLabel* label : {m_summary, m_enabledLabel, m_heading, m_times, m_count, m_zone}) {
        label->setVisible(m_rule.has_value());
    }
    if (!m_rule) {
        return;
    }
    const SchedulePreviewContent content =
        schedulePreviewContent(*m_rule, m_enabled, m_now(), m_state, ScheduleCalculator::inCurrentZone());
    m_summary->setText(content.summary);
    m_enabledLabel->setText(content.enabledText);
    m_heading->setText(content.heading);
    m_times->setText(content.times.join(QLatin1Char('\n')));
    m_times->setVisible(!content.times.isEmpty());
    m_count->setText(content.weeklyCount);
    m_zone->setText(content.timeZone);
}

void SchedulePreviewView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
    m_tick->start();
}

void SchedulePreviewView::hideEvent(QHideEvent* event)
{
    m_tick->stop();
    QWidget::hideEvent(event);
}

} // namespace tavlen::ui
