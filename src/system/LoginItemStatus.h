#pragma once

namespace tavlen {

// Whether Tavlen starts when the user logs in, numbered as the settings know it.
enum class LoginItemStatus
{
    notRegistered = 0,
    enabled = 1,
    requiresApproval = 2, // registered, but not yet allowed by the user
    notFound = 3,         // registered, but the program it starts is gone
};

} // namespace tavlen
