#pragma once

#include "ReadingField.h"
#include "Uuid.h"

#include <string>

namespace tavlen {

// One field to chart: a field of the saved workflow, or one that has stored readings but is no longer read.
struct ChartField
{
    Uuid id;
    std::string name; // as configured or stored, not trimmed
    ReadingFieldType type = ReadingFieldType::text;
    bool isNoLongerTracked = false;

    // The name by canonical equivalence.
    friend bool operator==(const ChartField& a, const ChartField& b);
};

} // namespace tavlen
