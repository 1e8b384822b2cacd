#include "ScheduleEditorFields.h"

#include "Accessibility.h"
#include "Icons.h"
#include "KitColors.h"
#include "QtText.h"
#include "ScheduleCalculator.h"
#include "ScheduleEditing.h"
#include "ScheduleInputs.h"
#include "SchedulePreviewView.h"
#include "TavlenButton.h"
#include "TextStyles.h"
#include "WorkspaceViewText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace tavlen::ui {

namespace {

const QString& presetLabel(IntervalPreset preset)
{
    switch (preset) {
    case IntervalPreset::fifteenMinutes:
        return text::every15Minutes;
    case IntervalPreset::thirtyMinutes:
        return text::every30Minutes;
    case IntervalPreset::oneHour:
        return text::everyHour;
    case IntervalPreset::sixHours:
        return text::every6Hours;
    case IntervalPreset::oneDay:
        return text::every24Hours;
    case IntervalPreset::custom:
        break;
    }
    return text::customInterval;
}

const QString& unitLabel(IntervalUnit unit)
{
    switch (unit) {
    case IntervalUnit::minutes:
        return text::minutes;
    case IntervalUnit::hours:
        return text::hours;
    case IntervalUnit::days:
        break;
    }
    return text::daysUnit;
}

template <class T, std::size_t N> int indexOf(const std::array<T, N>& values, T value)
{
    return static_cast<int>(std::find(values.begin(), values.end(), value) - values.begin());
}

QWidget* row(QWidget* parent, std::initializer_list<QWidget*> widgets)
{
    auto* container = new QWidget(parent);
    auto* layout = new QHBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* widget : widgets) {
        widget->setParent(container);
        layout->addWidget(widget);
    }
    layout->addStretch(1);
    return container;
}

} // namespace

ScheduleEditorFields::ScheduleEditorFields(ScheduleDraft draft, QWidget* parent)
    : QWidget(parent)
    , m_draft(std::move(draft))
    , m_enabled(new QCheckBox(text::scheduleEnabled, this))
    , m_everyMode(new QToolButton(this))
    , m_atMode(new QToolButton(this))
    , m_everySection(new QWidget(this))
    , m_interval(new QComboBox(m_everySection))
    , m_customRow(nullptr)
    , m_customAmount(new QLineEdit(m_everySection))
    , m_customUnit(new QComboBox(m_everySection))
    , m_limitsToggle(new QToolButton(m_everySection))
    , m_limits(new QWidget(m_everySection))
    , m_everyDays(new ScheduleDaysPicker(QStringLiteral("schedule-every-day-"), m_limits))
    , m_windowEnabled(new QCheckBox(text::limitHours, m_limits))
    , m_windowRow(nullptr)
    , m_from(new MinutePicker(text::from, false))
    , m_until(new MinutePicker(text::until, true))
    , m_atSection(new QWidget(this))
    , m_atDays(new ScheduleDaysPicker(QStringLiteral("schedule-at-day-"), m_atSection))
    , m_timeRows(new QVBoxLayout)
    , m_addTime(new TavlenButton(
          text::addTime, {TavlenButtonStyle::Variant::standard, TavlenButtonStyle::Size::compact}, m_atSection))
    , m_validationLine(new QWidget(this))
    , m_validationText(new QLabel(m_validationLine))
    , m_preview(new SchedulePreviewView(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(10);

    setAccessibility(m_enabled, text::scheduleEnabled, text::useSaveToApply);
    setIdentifier(m_enabled, QStringLiteral("schedule-enabled"));
    layout->addWidget(m_enabled);
    auto* note = new QLabel(text::scheduleNote, this);
    note->setFont(textStyleFont(TextStyle::callout));
    note->setWordWrap(true);
    QPalette secondary = note->palette();
    secondary.setColor(QPalette::WindowText, secondaryColor(palette()));
    note->setPalette(secondary);
    layout->addWidget(note);

    auto* modes = new QButtonGroup(this);
    const QString modeLabels[] = {toQString(rawValueOf(ScheduleMode::every)), toQString(rawValueOf(ScheduleMode::at))};
    for (auto [button, label] : {std::pair{m_everyMode, modeLabels[0]}, std::pair{m_atMode, modeLabels[1]}}) {
        button->setText(label);
        button->setCheckable(true);
        modes->addButton(button);
    }
    setIdentifier(m_everyMode, QStringLiteral("schedule-mode-every"));
    setIdentifier(m_atMode, QStringLiteral("schedule-mode-at"));
    auto* modeRow = row(this, {new QLabel(text::check), m_everyMode, m_atMode});
    setIdentifier(modeRow, QStringLiteral("scheduleRule-picker"));
    layout->addWidget(modeRow);

    // Every…
    auto* every = new QVBoxLayout(m_everySection);
    every->setContentsMargins(0, 0, 0, 0);
    for (const IntervalPreset preset : allIntervalPresets) {
        m_interval->addItem(presetLabel(preset));
    }
    m_interval->setAccessibleName(text::interval);
    setIdentifier(m_interval, QStringLiteral("intervalPreset"));
    every->addWidget(row(m_everySection, {new QLabel(text::interval), m_interval}));
    m_customAmount->setAccessibleName(text::customIntervalAmount);
    setIdentifier(m_customAmount, QStringLiteral("schedule-custom-amount"));
    for (const IntervalUnit unit : allIntervalUnits) {
        m_customUnit->addItem(unitLabel(unit));
    }
    m_customUnit->setAccessibleName(text::customIntervalUnit);
    m_customRow = row(m_everySection, {new QLabel(text::every), m_customAmount, m_customUnit});
    setIdentifier(m_customRow, QStringLiteral("customInterval"));
    every->addWidget(m_customRow);
    m_limitsToggle->setText(text::limitDaysAndHours);
    m_limitsToggle->setCheckable(true);
    m_limitsToggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_limitsToggle->setAutoRaise(true);
    setIdentifier(m_limitsToggle, QStringLiteral("schedule-limits"));
    every->addWidget(m_limitsToggle);
    auto* limits = new QVBoxLayout(m_limits);
    limits->setContentsMargins(16, 0, 0, 0);
    limits->addWidget(m_everyDays);
    limits->addWidget(m_windowEnabled);
    setIdentifier(m_windowEnabled, QStringLiteral("schedule-limit-hours"));
    m_windowRow = row(m_limits, {m_from, m_until});
    setIdentifier(m_from->editor(), QStringLiteral("schedule-window-from"));
    setIdentifier(m_until->editor(), QStringLiteral("schedule-window-until"));
    limits->addWidget(m_windowRow);
    every->addWidget(m_limits);
    layout->addWidget(m_everySection);

    // At…
    auto* at = new QVBoxLayout(m_atSection);
    at->setContentsMargins(0, 0, 0, 0);
    at->addWidget(m_atDays);
    at->addLayout(m_timeRows);
    m_addTime->setSymbolName(QStringLiteral("plus"));
    setIdentifier(m_addTime, QStringLiteral("schedule-add-time"));
    at->addWidget(m_addTime, 0, Qt::AlignLeft);
    layout->addWidget(m_atSection);

    auto* validation = new QHBoxLayout(m_validationLine);
    validation->setContentsMargins(0, 0, 0, 0);
    const QColor red = kitColor(KitColor::red, palette());
    auto* icon = new QLabel(m_validationLine);
    icon->setPixmap(kitIconPixmap(QStringLiteral("exclamationmark.circle.fill"), red, QSize(12, 12), 2));
    validation->addWidget(icon);
    m_validationText->setFont(textStyleFont(TextStyle::caption));
    QPalette redText = m_validationText->palette();
    redText.setColor(QPalette::WindowText, red);
    m_validationText->setPalette(redText);
    validation->addWidget(m_validationText, 1);
    setIdentifier(m_validationLine, QStringLiteral("scheduleRule"));
    layout->addWidget(m_validationLine);

    auto* previewHeader = new QLabel(text::previewHeader, this);
    previewHeader->setFont(textStyleFont(TextStyle::headline));
    layout->addSpacing(8);
    layout->addWidget(previewHeader);
    layout->addWidget(m_preview);
    layout->addStretch(1);

    connect(m_enabled, &QCheckBox::toggled, this, [this](bool on) { edit([on](auto& d) { d.scheduleEnabled = on; }); });
    connect(m_everyMode, &QAbstractButton::clicked, this, [this] {
        edit([](auto& d) { d.scheduleMode = ScheduleMode::every; });
    });
    connect(m_atMode, &QAbstractButton::clicked, this, [this] {
        edit([](auto& d) { d.scheduleMode = ScheduleMode::at; });
    });
    connect(m_interval, &QComboBox::activated, this, [this](int index) {
        edit([index](auto& d) { d.intervalPreset = allIntervalPresets.at(static_cast<std::size_t>(index)); });
    });
    connect(m_customAmount, &QLineEdit::textEdited, this, [this](const QString& amount) {
        edit([&amount](auto& d) { d.customInterval = fromQString(amount); });
    });
    connect(m_customUnit, &QComboBox::activated, this, [this](int index) {
        edit([index](auto& d) { d.customUnit = allIntervalUnits.at(static_cast<std::size_t>(index)); });
    });
    connect(m_limitsToggle, &QToolButton::toggled, this, &ScheduleEditorFields::setLimitsExpanded);
    connect(m_everyDays, &ScheduleDaysPicker::daysEdited, this, [this](const WeekdaySet& days) {
        edit([&days](auto& d) { d.everyWeekdays = days; });
    });
    connect(m_atDays, &ScheduleDaysPicker::daysEdited, this, [this](const WeekdaySet& days) {
        edit([&days](auto& d) { d.atWeekdays = days; });
    });
    connect(
        m_windowEnabled, &QCheckBox::toggled, this, [this](bool on) { edit([on](auto& d) { d.windowEnabled = on; }); });
    connect(m_from, &MinutePicker::minuteEdited, this, [this](int minute) {
        edit([minute](auto& d) { d.windowStartMinuteOfDay = minute; });
    });
    connect(m_until, &MinutePicker::minuteEdited, this, [this](int minute) {
        edit([minute](auto& d) { d.windowEndMinuteOfDay = minute; });
    });
    connect(m_addTime, &QAbstractButton::clicked, this, &ScheduleEditorFields::addTime);
    refresh();
}

QWidget* ScheduleEditorFields::fieldWidget(ScheduleDraft::Field field) const
{
    switch (field) {
    case ScheduleDraft::Field::intervalPreset:
        return m_interval;
    case ScheduleDraft::Field::customInterval:
        return m_customRow;
    case ScheduleDraft::Field::scheduleRule:
        break;
    }
    return m_validationLine;
}

void ScheduleEditorFields::focusField(ScheduleDraft::Field field)
{
    switch (field) {
    case ScheduleDraft::Field::intervalPreset:
        m_interval->setFocus(Qt::OtherFocusReason);
        return;
    case ScheduleDraft::Field::customInterval:
        m_customAmount->setFocus(Qt::OtherFocusReason);
        return;
    case ScheduleDraft::Field::scheduleRule:
        break;
    }
    (m_draft.scheduleMode == ScheduleMode::every ? m_everyMode : m_atMode)->setFocus(Qt::OtherFocusReason);
}

void ScheduleEditorFields::setDraft(const ScheduleDraft& draft)
{
    m_draft = draft;
    refresh();
}

void ScheduleEditorFields::setShowsErrors(bool showsErrors)
{
    m_showsErrors = showsErrors;
    refresh();
}

void ScheduleEditorFields::setRuntimeState(std::optional<ScheduleState> state)
{
    m_runtimeState = std::move(state);
    refresh();
}

void ScheduleEditorFields::setLimitsExpanded(bool expanded)
{
    m_limitsDecided = true;
    m_limitsExpanded = expanded;
    refresh();
}

void ScheduleEditorFields::addTime()
{
    if (const auto minute = nextFreeCheckMinute(m_draft.atTimes)) {
        edit([minute](auto& d) { d.atTimes.push_back({Uuid::random(), *minute}); });
    }
}

void ScheduleEditorFields::refreshPreview()
{
    m_preview->refresh();
}

void ScheduleEditorFields::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Decided once, when the form first comes on screen; afterwards only the user opens and closes the group.
    if (!m_limitsDecided) {
        setLimitsExpanded(limitsInitiallyExpanded(m_draft));
    }
}

void ScheduleEditorFields::edit(const std::function<void(ScheduleDraft&)>& change)
{
    change(m_draft);
    refresh();
    Q_EMIT draftEdited(m_draft);
}

void ScheduleEditorFields::refresh()
{
    const QSignalBlocker blockEnabled(m_enabled);
    m_enabled->setChecked(m_draft.scheduleEnabled);
    const bool every = m_draft.scheduleMode == ScheduleMode::every;
    m_everyMode->setChecked(every);
    m_atMode->setChecked(!every);
    m_everySection->setVisible(every);
    m_atSection->setVisible(!every);

    m_interval->setCurrentIndex(indexOf(allIntervalPresets, m_draft.intervalPreset));
    m_customRow->setVisible(m_draft.intervalPreset == IntervalPreset::custom);
    if (m_customAmount->text() != toQString(m_draft.customInterval)) {
        m_customAmount->setText(toQString(m_draft.customInterval));
    }
    m_customUnit->setCurrentIndex(indexOf(allIntervalUnits, m_draft.customUnit));
    {
        const QSignalBlocker blockToggle(m_limitsToggle);
        m_limitsToggle->setChecked(m_limitsExpanded);
        m_limitsToggle->setArrowType(m_limitsExpanded ? Qt::DownArrow : Qt::RightArrow);
    }
    m_limits->setVisible(m_limitsExpanded);
    m_everyDays->setDays(m_draft.everyWeekdays);
    const QSignalBlocker blockWindow(m_windowEnabled);
    m_windowEnabled->setChecked(m_draft.windowEnabled);
    m_windowRow->setVisible(m_draft.windowEnabled);
    m_from->setMinute(m_draft.windowStartMinuteOfDay);
    m_until->setMinute(m_draft.windowEndMinuteOfDay);

    m_atDays->setDays(m_draft.atWeekdays);
    rebuildTimeRows();
    m_addTime->setEnabled(m_draft.atTimes.size() < 1440);

    const auto message = m_showsErrors ? scheduleValidationLine(m_draft) : std::nullopt;
    m_validationLine->setVisible(message.has_value());
    m_validationText->setText(message.value_or(QString()));
    m_preview->setSchedule(previewRule(m_draft), m_draft.scheduleEnabled, m_runtimeState);
}

void ScheduleEditorFields::rebuildTimeRows()
{
    std::vector<Uuid> ids;
    for (const ScheduleTimeDraft& time : m_draft.atTimes) {
        ids.push_back(time.id);
    }
    if (ids != m_rowIDs) {
        // The rows change only when times are added or removed; an edited minute keeps its row and its focus.
        m_rowIDs = ids;
        // Later, not now: the remove button whose click brought us here is still inside its signal.
        while (QLayoutItem* item = m_timeRows->takeAt(0)) {
            item->widget()->hide();
            item->widget()->deleteLater();
            delete item;
        }
        const auto calculator = ScheduleCalculator::inCurrentZone();
        for (const ScheduleTimeDraft& time : m_draft.atTimes) {
            auto* picker = new MinutePicker(text::time, false);
            picker->setMinute(time.minute);
            setIdentifier(picker->editor(), itemIdentifier(QStringLiteral("schedule-time-"), time.id));
            auto* remove =
                new TavlenButton(TavlenButtonStyle{TavlenButtonStyle::Variant::icon, TavlenButtonStyle::Size::compact});
            remove->setSymbolName(QStringLiteral("minus.circle"));
            remove->setRole(ButtonRole::destructive);
            remove->setToolTip(text::removeTime);
            remove->setAccessibleName(text::removePrefix + toQString(calculator.timeOfDayLabel(time.minute)));
            setIdentifier(remove, itemIdentifier(QStringLiteral("schedule-remove-time-"), time.id));
            const Uuid id = time.id;
            connect(picker, &MinutePicker::minuteEdited, this, [this, id](int minute) {
                edit([&](auto& d) {
                    const auto entry =
                        std::find_if(d.atTimes.begin(), d.atTimes.end(), [&](auto& t) { return t.id == id; });
                    if (entry != d.atTimes.end()) {
                        entry->minute = minute;
                    }
                });
            });
            connect(remove, &QAbstractButton::clicked, this, [this, id] {
                edit([&](auto& d) { std::erase_if(d.atTimes, [&](const auto& t) { return t.id == id; }); });
            });
            m_timeRows->addWidget(row(m_atSection, {picker, remove}));
        }
    }
    for (int index = 0; index < m_timeRows->count(); ++index) {
        if (auto* remove = m_timeRows->itemAt(index)->widget()->findChild<TavlenButton*>()) {
            remove->setEnabled(m_draft.atTimes.size() != 1);
        }
    }
}

} // namespace tavlen::ui
