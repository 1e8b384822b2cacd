#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "BrowserRect.h"
#include "StepContent.h"
#include "StepsExecutionState.h"
#include "StepsValidationIssue.h"
#include "Uuid.h"
#endif

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tavlen {

// One editable workflow step, shared by reference between the draft that owns it, the editor views and the
// executor. id, content and sourceID are fixed; region is a saved input (a change calls onEdit); the execution
// state and duration only notify. Main thread only.
class Step : public QObject, public std::enable_shared_from_this<Step>
{
    Q_OBJECT

public:
    using Duration = std::chrono::nanoseconds;

    // A new unexecuted step holding the region as given. The settings object's onEdit becomes a relay that holds
    // the step weakly and calls the step's own onEdit, so an edit of the settings reaches the step's owner.
    static std::shared_ptr<Step>
    create(const Uuid& id, StepContent content, std::optional<Uuid> sourceID, std::optional<BrowserRect> region);

    const Uuid& id() const { return m_id; }

    const StepContent& content() const { return m_content; }

    // For a Read step the id of the Open page step whose screenshot it reads; none for an Open page step.
    const std::optional<Uuid>& sourceID() const { return m_sourceID; }

    const std::function<void()>& onEdit() const { return m_onEdit; }

    void setOnEdit(std::function<void()> onEdit) { m_onEdit = std::move(onEdit); }

    // The area of the source screenshot a Read step reads, in its pixels.
    const std::optional<BrowserRect>& region() const { return m_region; }

    const StepsExecutionState& execution() const { return m_execution; }

    // How long the last run took, on a monotonic clock.
    const std::optional<Duration>& executionDuration() const { return m_executionDuration; }

    void setRegion(std::optional<BrowserRect> region);
    // Running and unexecuted clear a recorded duration, also when the state itself is unchanged.
    void setExecution(StepsExecutionState execution);
    void setExecutionDuration(std::optional<Duration> duration);

    // The input problems of this step, in the order of its inputs; empty when the step may be saved and run.
    std::vector<StepsValidationIssue> validationIssues() const;

Q_SIGNALS:
    void regionChanged();
    void executionChanged();
    void executionDurationChanged();

private:
    Step(const Uuid& id, StepContent content, std::optional<Uuid> sourceID);

    void relayEdit() const;

    Uuid m_id;
    StepContent m_content;
    std::optional<Uuid> m_sourceID;
    std::function<void()> m_onEdit;
    std::optional<BrowserRect> m_region;
    StepsExecutionState m_execution;
    std::optional<Duration> m_executionDuration;
};

} // namespace tavlen
