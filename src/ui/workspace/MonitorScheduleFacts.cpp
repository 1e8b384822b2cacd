#include "MonitorScheduleFacts.h"

#include <algorithm>

namespace tavlen::ui {

MonitorScheduleFacts scheduleFactsOf(const ScheduleSnapshot* snapshot, const Uuid& monitorID)
{
    MonitorScheduleFacts facts;
    if (!snapshot) {
        return facts;
    }
    facts.isQueued = std::any_of(snapshot->queue.begin(), snapshot->queue.end(), [&](const QueuedCheck& check) {
        return check.monitorID == monitorID;
    });
    if (const auto found = snapshot->states.find(monitorID); found != snapshot->states.end()) {
        facts.state = found->second;
    }
    return facts;
}

} // namespace tavlen::ui
