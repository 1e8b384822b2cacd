#include "StepsDiagramState.h"

namespace tavlen::ui {

namespace {

template <class T, class Signal> void assign(StepsDiagramState* state, T& member, T value, Signal changed)
{
    if (member == value) {
        return;
    }
    member = std::move(value);
    Q_EMIT(state->*changed)();
}

} // namespace

StepsDiagramState::StepsDiagramState(QObject* parent)
    : QObject(parent)
{}

void StepsDiagramState::setDrag(StepsDragState drag)
{
    assign(this, m_drag, std::move(drag), &StepsDiagramState::dragChanged);
}

void StepsDiagramState::setScrollTarget(std::optional<Uuid> stepID)
{
    assign(this, m_scrollTarget, stepID, &StepsDiagramState::scrollTargetChanged);
}

void StepsDiagramState::setConfigurationStepID(std::optional<Uuid> stepID)
{
    assign(this, m_configurationStepID, stepID, &StepsDiagramState::configurationStepIDChanged);
}

void StepsDiagramState::setFocusedField(std::optional<StepsField> field)
{
    assign(this, m_focusedField, std::move(field), &StepsDiagramState::focusedFieldChanged);
}

void StepsDiagramState::setFocusAfterConfiguration(std::optional<StepsField> field)
{
    assign(this, m_focusAfterConfiguration, std::move(field), &StepsDiagramState::focusAfterConfigurationChanged);
}

bool StepsDiagramState::isConfigurationPresented(const Uuid& stepID) const
{
    return m_configurationStepID == stepID;
}

void StepsDiagramState::setConfigurationPresented(const Uuid& stepID, bool presented)
{
    if (presented) {
        setConfigurationStepID(stepID);
    } else if (m_configurationStepID == stepID) {
        setConfigurationStepID(std::nullopt);
    }
}

void StepsDiagramState::configurationDidClose()
{
    if (m_focusAfterConfiguration) {
        setFocusedField(m_focusAfterConfiguration);
        setFocusAfterConfiguration(std::nullopt);
    }
}

} // namespace tavlen::ui
