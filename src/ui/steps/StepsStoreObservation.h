#pragma once

#include <functional>

class QObject;

namespace tavlen {
class StepsStore;
}

namespace tavlen::ui {

// Calls changed (with the context alive) whenever what the store's run gate answers may have changed: whether it
// is busy, whether a monitor's steps run, why a step cannot run.
void observeStepsRunState(StepsStore& store, QObject* context, std::function<void()> changed);

} // namespace tavlen::ui
