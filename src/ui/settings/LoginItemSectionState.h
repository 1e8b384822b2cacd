#pragma once

#include "LoginItemStatus.h"

#include <QString>

#include <optional>

namespace tavlen::ui {

// The Startup section's toggle and note for a login item status.
struct LoginItemSectionState
{
    bool toggleOn = false;
    std::optional<QString> note{}; // the approval or not-found sentence
    bool showsOpenSettings = false;

    friend bool operator==(const LoginItemSectionState&, const LoginItemSectionState&) = default;
};

LoginItemSectionState loginItemSectionState(LoginItemStatus status);

} // namespace tavlen::ui
