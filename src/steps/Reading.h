#pragma once

#include "ReadingValue.h"
#include "Uuid.h"

#include <string>
#include <vector>

namespace tavlen {

// One value read during a check.
struct Reading
{
    Uuid id;               // the id of the ReadingField it was read for
    std::string fieldName; // the field's name at the time of the check
    ReadingValue value = ReadingValue::ofNumber(0);

    // Field names by canonical equivalence, values as ReadingValue compares them.
    friend bool operator==(const Reading& a, const Reading& b);
};

bool readingsEqual(const std::vector<Reading>& a, const std::vector<Reading>& b);

} // namespace tavlen
