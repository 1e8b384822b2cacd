#include "ModelRegistry.h"

#include <algorithm>

namespace tavlen {

const ConfiguredModel* ModelRegistry::defaultModel() const
{
    return defaultID ? model(*defaultID) : nullptr;
}

const ConfiguredModel* ModelRegistry::model(const Uuid& id) const
{
    const auto found =
        std::find_if(models.begin(), models.end(), [&id](const ConfiguredModel& model) { return model.id == id; });
    return found == models.end() ? nullptr : &*found;
}

} // namespace tavlen
