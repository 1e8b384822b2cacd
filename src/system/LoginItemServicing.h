#pragma once

#include "LoginItemStatus.h"

namespace tavlen {

// Tavlen's own login item.
class LoginItemServicing
{
public:
    virtual ~LoginItemServicing() = default;

    virtual LoginItemStatus status() const = 0;
    // Both throw SystemServiceError.
    virtual void registerLoginItem() = 0;
    virtual void unregisterLoginItem() = 0;
    // Shows where the system keeps the login items.
    virtual void openSystemSettings() = 0;
};

} // namespace tavlen
