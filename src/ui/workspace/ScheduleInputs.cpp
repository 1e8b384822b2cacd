#include "ScheduleInputs.h"

#include "Accessibility.h"
#include "Formatting.h"
#include "ScheduleEditing.h"
#include "WorkspaceViewText.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QSignalBlocker>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace tavlen::ui {

MinutePicker::MinutePicker(const QString& label, bool isEnd, QWidget* parent)
    : QWidget(parent)
    , m_isEnd(isEnd)
    , m_editor(new QTimeEdit(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(label, this));
    layout->addWidget(m_editor);
    m_editor->setDisplayFormat(QLocale().timeFormat(QLocale::ShortFormat));
    m_editor->setAccessibleName(label);
    connect(m_editor, &QTimeEdit::timeChanged, this, [this](const QTime& time) {
        Q_EMIT minuteEdited(minuteOfTime(time, m_isEnd));
    });
}

int MinutePicker::minute() const
{
    return minuteOfTime(m_editor->time(), m_isEnd);
}

void MinutePicker::setMinute(int minute)
{
    const QSignalBlocker blocker(m_editor);
    m_editor->setTime(timeOfMinute(minute));
}

ScheduleDaysPicker::ScheduleDaysPicker(const QString& identifierPrefix, QWidget* parent)
    : QWidget(parent)
    , m_mode(new QComboBox(this))
    , m_toggleRow(new QWidget(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* modeRow = new QHBoxLayout;
    modeRow->addWidget(new QLabel(text::days, this));
    m_mode->addItems({text::everyDay, text::weekdays, text::selectedDays});
    m_mode->setAccessibleName(text::days);
    modeRow->addWidget(m_mode, 1);
    layout->addLayout(modeRow);

    auto* toggles = new QHBoxLayout(m_toggleRow);
    toggles->setContentsMargins(0, 0, 0, 0);
    toggles->setSpacing(6);
    const QStringList shortNames = weekdaySymbols(WeekdayWidth::shortName);
    const QStringList fullNames = weekdaySymbols(WeekdayWidth::fullName);
    for (const int weekday : daysPickerOrder()) {
        auto* button = new QToolButton(m_toggleRow);
        button->setCheckable(true);
        button->setText(shortNames.value(weekday - 1));
        button->setAccessibleName(fullNames.value(weekday - 1));
        setIdentifier(button, identifierPrefix + QString::number(weekday));
        connect(button, &QToolButton::toggled, this, [this, weekday](bool on) { toggleDay(weekday, on); });
        m_toggles[static_cast<std::size_t>(weekday - 1)] = button;
        toggles->addWidget(button);
    }
    toggles->addStretch(1);
    layout->addWidget(m_toggleRow);
    connect(m_mode, &QComboBox::activated, this, &ScheduleDaysPicker::chooseMode);
    refresh();
}

QAbstractButton* ScheduleDaysPicker::toggle(int weekday) const
{
    return m_toggles.at(static_cast<std::size_t>(weekday - 1));
}

void ScheduleDaysPicker::setDays(const WeekdaySet& days)
{
    m_days = days;
    refresh();
}

void ScheduleDaysPicker::chooseMode(int index)
{
    const DaysChoice choice = chooseDaysMode(static_cast<DaysMode>(index), m_days);
    m_custom = choice.custom;
    const bool changed = choice.days != m_days;
    m_days = choice.days;
    refresh();
    if (changed) {
        Q_EMIT daysEdited(m_days);
    }
}

void ScheduleDaysPicker::toggleDay(int weekday, bool on)
{
    if (on == m_days.contains(weekday)) {
        return;
    }
    if (on) {
        m_days.insert(weekday);
    } else {
        m_days.erase(weekday);
    }
    refresh();
    Q_EMIT daysEdited(m_days);
}

void ScheduleDaysPicker::refresh()
{
    const DaysMode mode = daysModeOf(m_days, m_custom);
    {
        const QSignalBlocker blocker(m_mode);
        m_mode->setCurrentIndex(static_cast<int>(mode));
    }
    m_toggleRow->setVisible(m_custom || mode == DaysMode::selectedDays);
    for (int weekday = 1; weekday <= 7; ++weekday) {
        const QSignalBlocker blocker(toggle(weekday));
        toggle(weekday)->setChecked(m_days.contains(weekday));
    }
}

} // namespace tavlen::ui
