#include "StepsField.h"

namespace {

std::size_t combine(std::size_t seed, std::size_t value)
{
    return seed ^ (value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
}

} // namespace

std::size_t std::hash<tavlen::StepsField::Kind>::operator()(const tavlen::StepsField::Kind& kind) const noexcept
{
    std::size_t seed = combine(0, static_cast<std::size_t>(kind.kindCase()));
    if (kind.fieldID()) {
        seed = combine(seed, std::hash<tavlen::Uuid>()(*kind.fieldID()));
    }
    return seed;
}

std::size_t std::hash<tavlen::StepsField>::operator()(const tavlen::StepsField& field) const noexcept
{
    std::size_t seed = combine(0, std::hash<tavlen::Uuid>()(field.stepID));
    return combine(seed, std::hash<tavlen::StepsField::Kind>()(field.kind));
}
