#include "ReadingValue.h"

#include "Utf8.h"

namespace tavlen {

bool operator==(const ReadingValue& a, const ReadingValue& b)
{
    if (a.isNumber() != b.isNumber()) {
        return false;
    }
    return a.isNumber() ? a.number() == b.number() : utf8Equal(a.text(), b.text());
}

} // namespace tavlen
