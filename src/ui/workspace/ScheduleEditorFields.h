#pragma once

#ifndef Q_MOC_RUN
#include "ScheduleDraft.h"
#include "ScheduleState.h"
#endif

#include <QWidget>

#include <optional>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;
class QVBoxLayout;

namespace tavlen::ui {

class MinutePicker;
class ScheduleDaysPicker;
class SchedulePreviewView;
class TavlenButton;

// The form that edits one monitor's schedule draft: on or off, every so often or at times of day, the interval,
// days, hours and check times, one validation line and a live preview. Every control writes the draft at once
// (draftEdited); the owner stores it and hands it back with setDraft. Switching the kind, the preset or the
// limits never clears a field.
class ScheduleEditorFields : public QWidget
{
    Q_OBJECT

public:
    explicit ScheduleEditorFields(ScheduleDraft draft, QWidget* parent = nullptr);

    const ScheduleDraft& draft() const { return m_draft; }

    bool limitsExpanded() const { return m_limitsExpanded; }

    // The control a field is scrolled to, and the control that takes the focus for it.
    QWidget* fieldWidget(ScheduleDraft::Field field) const;
    void focusField(ScheduleDraft::Field field);

    void setDraft(const ScheduleDraft& draft);
    void setShowsErrors(bool showsErrors);
    void setRuntimeState(std::optional<ScheduleState> state);
    void setLimitsExpanded(bool expanded);
    // Appends the next free check time; nothing when every minute is taken.
    void addTime();
    // Recomputes the preview in the current zone (after a change of the system's zone).
    void refreshPreview();

Q_SIGNALS:
    void draftEdited(const tavlen::ScheduleDraft& draft);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void edit(const std::function<void(ScheduleDraft&)>& change);
    void refresh();
    void rebuildTimeRows();

    ScheduleDraft m_draft;
    bool m_showsErrors = false;
    bool m_limitsExpanded = false;
    bool m_limitsDecided = false;
    std::optional<ScheduleState> m_runtimeState;
    std::vector<Uuid> m_rowIDs;

    QCheckBox* m_enabled;
    QAbstractButton* m_everyMode;
    QAbstractButton* m_atMode;
    QWidget* m_everySection;
    QComboBox* m_interval;
    QWidget* m_customRow;
    QLineEdit* m_customAmount;
    QComboBox* m_customUnit;
    QToolButton* m_limitsToggle;
    QWidget* m_limits;
    ScheduleDaysPicker* m_everyDays;
    QCheckBox* m_windowEnabled;
    QWidget* m_windowRow;
    MinutePicker* m_from;
    MinutePicker* m_until;
    QWidget* m_atSection;
    ScheduleDaysPicker* m_atDays;
    QVBoxLayout* m_timeRows;
    TavlenButton* m_addTime;
    QWidget* m_validationLine;
    QLabel* m_validationText;
    SchedulePreviewView* m_preview;
};

} // namespace tavlen::ui
