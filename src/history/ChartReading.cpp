#include "ChartReading.h"

#include "Utf8.h"

namespace tavlen {

bool operator==(const ChartReading& a, const ChartReading& b)
{
    return a.checkID == b.checkID && a.fieldID == b.fieldID && a.timeMilliseconds == b.timeMilliseconds &&
           a.ordinal == b.ordinal && textEqual(a.fieldName, b.fieldName) && a.value == b.value;
}

} // namespace tavlen
