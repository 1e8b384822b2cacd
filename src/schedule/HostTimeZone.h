#pragma once

#include <string>

namespace tavlen {

// The identifier of the system's current time zone, read afresh on every call. When TZ is set it decides, as for
// the C library: a zone name (with or without a leading colon, or as a path into the zoneinfo directory), a POSIX
// rule such as "CET-1CEST,M3.5.0,M10.5.0/3", UTC when empty; anything else is returned as it is and gives GMT.
// Without TZ: the zone that /etc/localtime links to, else the one /etc/timezone names, else "Etc/UTC".
std::string hostTimeZoneID();

} // namespace tavlen
