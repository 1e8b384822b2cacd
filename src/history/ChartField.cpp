#include "ChartField.h"

#include "Utf8.h"

namespace tavlen {

bool operator==(const ChartField& a, const ChartField& b)
{
    return a.id == b.id && textEqual(a.name, b.name) && a.type == b.type && a.isNoLongerTracked == b.isNoLongerTracked;
}

} // namespace tavlen
