#include "ConfiguredModel.h"

std::size_t std::hash<tavlen::ConfiguredModel>::operator()(const tavlen::ConfiguredModel& model) const noexcept
{
    const std::size_t seed = std::hash<tavlen::Uuid>{}(model.id);
    return seed ^
           (std::hash<tavlen::ModelSelection>{}(model.selection) + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
}
