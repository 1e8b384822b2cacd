#include "StepsStoreObservation.h"

#include "StepsStore.h"

namespace tavlen::ui {

void observeStepsRunState(StepsStore& store, QObject* context, std::function<void()> changed)
{
    const StepsStoreState& state = store.state();
    QObject::connect(&state, &StepsStoreState::operationIDChanged, context, changed);
    QObject::connect(&state, &StepsStoreState::activeMonitorIDChanged, context, changed);
    QObject::connect(&state, &StepsStoreState::activeOriginChanged, context, changed);
    QObject::connect(&state, &StepsStoreState::deletingMonitorsChanged, context, changed);
    QObject::connect(&state, &StepsStoreState::isNavigatingChanged, context, changed);
    QObject::connect(&store.results(), &MonitorCheckStore::storingResultsChanged, context, changed);
    QObject::connect(&store.results(), &MonitorCheckStore::pendingResultsChanged, context, changed);
}

} // namespace tavlen::ui
