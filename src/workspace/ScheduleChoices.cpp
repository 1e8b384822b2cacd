#include "ScheduleChoices.h"

#include "WorkspaceText.h"

namespace tavlen {

std::string_view rawValueOf(ScheduleMode mode)
{
    return mode == ScheduleMode::every ? workspace_text::everyModeTitle : workspace_text::atModeTitle;
}

std::optional<IntervalPreset> intervalPresetFromRawValue(long long minutes)
{
    for (const IntervalPreset preset : allIntervalPresets) {
        if (rawValueOf(preset) == minutes) {
            return preset;
        }
    }
    return std::nullopt;
}

std::optional<IntervalUnit> intervalUnitFromRawValue(long long minutes)
{
    for (const IntervalUnit unit : allIntervalUnits) {
        if (rawValueOf(unit) == minutes) {
            return unit;
        }
    }
    return std::nullopt;
}

} // namespace tavlen
