#pragma once

// moc cannot parse the C++20 standard headers these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "ScheduleRule.h"
#endif

#include <QWidget>

#include <array>

class QAbstractButton;
class QComboBox;
class QTimeEdit;

namespace tavlen::ui {

// A time-of-day picker over a minute of the day, in the user's locale; the end of a window set to midnight writes
// 1440, every other midnight 0.
class MinutePicker : public QWidget
{
    Q_OBJECT

public:
    MinutePicker(const QString& label, bool isEnd, QWidget* parent = nullptr);

    int minute() const;

    QTimeEdit* editor() const { return m_editor; }

    void setMinute(int minute);

Q_SIGNALS:
    void minuteEdited(int minute);

private:
    bool m_isEnd;
    QTimeEdit* m_editor;
};

// The days of the week: "Every day", "Weekdays" or "Selected days" with seven toggles, Monday first.
class ScheduleDaysPicker : public QWidget
{
    Q_OBJECT

public:
    // Each toggle is named prefix + its weekday number.
    explicit ScheduleDaysPicker(const QString& identifierPrefix, QWidget* parent = nullptr);

    const WeekdaySet& days() const { return m_days; }

    bool isCustom() const { return m_custom; }

    QComboBox* modeBox() const { return m_mode; }

    // The toggle of a weekday number (1 = Sunday).
    QAbstractButton* toggle(int weekday) const;

    void setDays(const WeekdaySet& days);

Q_SIGNALS:
    void daysEdited(const tavlen::WeekdaySet& days);

private:
    void refresh();
    void chooseMode(int index);
    void toggleDay(int weekday, bool on);

    WeekdaySet m_days;
    bool m_custom = false;
    QComboBox* m_mode;
    QWidget* m_toggleRow;
    std::array<QAbstractButton*, 7> m_toggles{}; // indexed by weekday number − 1
};

} // namespace tavlen::ui
