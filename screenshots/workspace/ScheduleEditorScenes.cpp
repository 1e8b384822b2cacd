#include "Scene.h"
#include "ScheduleEditorFields.h"

namespace tavlen::screenshots {
namespace {

std::unique_ptr<QWidget> editor(ScheduleDraft draft, bool showsErrors)
{
    auto fields = std::make_unique<ui::ScheduleEditorFields>(std::move(draft));
    fields->setShowsErrors(showsErrors);
    return fields;
}

ScheduleDraft everyWithLimits()
{
    ScheduleDraft draft;
    draft.scheduleEnabled = true;
    draft.intervalPreset = IntervalPreset::thirtyMinutes;
    draft.everyWeekdays = {2, 3, 4, 5};
    draft.windowEnabled = true;
    return draft;
}

ScheduleDraft atTimes()
{
    ScheduleDraft draft;
    draft.scheduleMode = ScheduleMode::at;
    draft.atWeekdays = {2, 3, 4, 5, 6};
    draft.atTimes = {{Uuid::random(), 540}, {Uuid::random(), 1020}};
    return draft;
}

ScheduleDraft invalidCustom()
{
    ScheduleDraft draft;
    draft.intervalPreset = IntervalPreset::custom;
    draft.customInterval = "1.5";
    return draft;
}

const SceneRegistrar every{
    QStringLiteral("workspace-schedule-every"), [] { return editor(everyWithLimits(), false); }, QSize(560, 640)};
const SceneRegistrar at{
    QStringLiteral("workspace-schedule-at"), [] { return editor(atTimes(), false); }, QSize(560, 600)};
const SceneRegistrar invalid{
    QStringLiteral("workspace-schedule-invalid"), [] { return editor(invalidCustom(), true); }, QSize(560, 520)};

} // namespace
} // namespace tavlen::screenshots
