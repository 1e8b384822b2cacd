#include "MonitorCheckOutcome.h"

namespace tavlen {

std::string_view textOf(MonitorCheckOutcome outcome)
{
    switch (outcome) {
    case MonitorCheckOutcome::succeeded:
        return "succeeded";
    case MonitorCheckOutcome::failed:
        return "failed";
    case MonitorCheckOutcome::cancelled:
        return "cancelled";
    }
    return "failed";
}

MonitorCheckOutcome outcomeOfCode(const std::optional<std::string_view>& code)
{
    if (!code) {
        return MonitorCheckOutcome::succeeded;
    }
    return *code == MonitorCheckFailure::cancelledCode ? MonitorCheckOutcome::cancelled : MonitorCheckOutcome::failed;
}

MonitorCheckOutcome outcomeOf(const std::optional<MonitorCheckFailure>& failure)
{
    return failure ? outcomeOfCode(std::string_view(failure->code())) : outcomeOfCode(std::nullopt);
}

} // namespace tavlen
