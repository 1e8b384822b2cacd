#include "Reading.h"

#include "ListEquality.h"
#include "Utf8.h"

namespace tavlen {

bool operator==(const Reading& a, const Reading& b)
{
    return a.id == b.id && textEqual(a.fieldName, b.fieldName) && a.value == b.value;
}

bool readingsEqual(const std::vector<Reading>& a, const std::vector<Reading>& b)
{
    return listsEqual(a, b, [](const Reading& x, const Reading& y) { return x == y; });
}

} // namespace tavlen
