#pragma once

#include "ModelSelection.h"
#include "Uuid.h"

#include <cstddef>

namespace tavlen {

// One row of `configured_models`: a model the user set up, identified by its id.
struct ConfiguredModel
{
    Uuid id;
    ModelSelection selection;

    friend bool operator==(const ConfiguredModel&, const ConfiguredModel&) = default;
};

} // namespace tavlen

template <> struct std::hash<tavlen::ConfiguredModel>
{
    std::size_t operator()(const tavlen::ConfiguredModel& model) const noexcept;
};
