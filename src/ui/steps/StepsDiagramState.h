#pragma once

#ifndef Q_MOC_RUN
#include "StepsDragGeometry.h"
#include "StepsField.h"
#include "Uuid.h"
#endif

#include <QObject>

#include <optional>

namespace tavlen::ui {

// The state the steps diagram shares with its cards: the drag, the card to scroll to, the one open configuration
// popover and the input that holds (or is to take) keyboard focus. Every setter notifies only on a change. The
// measured header frames are not observed. Main thread only.
class StepsDiagramState : public QObject
{
    Q_OBJECT

public:
    explicit StepsDiagramState(QObject* parent = nullptr);

    const StepsDragState& drag() const { return m_drag; }

    const std::optional<Uuid>& scrollTarget() const { return m_scrollTarget; }

    const std::optional<Uuid>& configurationStepID() const { return m_configurationStepID; }

    const std::optional<StepsField>& focusedField() const { return m_focusedField; }

    const std::optional<StepsField>& focusAfterConfiguration() const { return m_focusAfterConfiguration; }

    void setDrag(StepsDragState drag);
    void setScrollTarget(std::optional<Uuid> stepID);
    void setConfigurationStepID(std::optional<Uuid> stepID);
    void setFocusedField(std::optional<StepsField> field);
    void setFocusAfterConfiguration(std::optional<StepsField> field);

    // Whether the step's popover is open; opening it closes any other, and closing it leaves another card's open
    // popover alone.
    bool isConfigurationPresented(const Uuid& stepID) const;
    void setConfigurationPresented(const Uuid& stepID, bool presented);

    // Called by an open configuration popover when it has closed: the input waiting for it takes focus.
    void configurationDidClose();

    StepsDragGeometry dragGeometry;

Q_SIGNALS:
    void dragChanged();
    void scrollTargetChanged();
    void configurationStepIDChanged();
    void focusedFieldChanged();
    void focusAfterConfigurationChanged();

private:
    StepsDragState m_drag;
    std::optional<Uuid> m_scrollTarget;
    std::optional<Uuid> m_configurationStepID;
    std::optional<StepsField> m_focusedField;
    std::optional<StepsField> m_focusAfterConfiguration;
};

} // namespace tavlen::ui
