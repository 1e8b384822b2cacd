#include "BrowserProfile.h"

#include "WireCoding.h"

namespace tavlen {

bool operator==(const BrowserProfile& a, const BrowserProfile& b)
{
    return wire::sameText(a.id, b.id) && wire::sameText(a.profileName, b.profileName) && a.selected == b.selected &&
           wire::sameText(a.version, b.version) && wire::sameText(a.connectionID, b.connectionID);
}

} // namespace tavlen
