#include "LoginItemSectionState.h"

#include "SettingsText.h"

namespace tavlen::ui {

LoginItemSectionState loginItemSectionState(LoginItemStatus status)
{
    switch (status) {
    case LoginItemStatus::enabled:
        return {.toggleOn = true};
    case LoginItemStatus::requiresApproval:
        return {.toggleOn = true, .note = settings_text::approvalRequired, .showsOpenSettings = true};
    case LoginItemStatus::notFound:
        return {.toggleOn = false, .note = settings_text::loginItemNotFound};
    case LoginItemStatus::notRegistered:
        break;
    }
    return {};
}

} // namespace tavlen::ui
