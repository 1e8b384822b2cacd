#include "BrowserConnectionStatus.h"

#include "BrowserClientState.h"
#include "QtText.h"
#include "ShellText.h"

#include <algorithm>
#include <cmath>

namespace tavlen::ui {

BrowserConnectionFacts BrowserConnectionFacts::from(const BrowserClientState& state, bool canSelectProfile)
{
    return BrowserConnectionFacts{
        .isSettingUp = state.isSettingUp(),
        .isSelectingProfile = state.isSelectingProfile(),
        .canSelectProfile = canSelectProfile,
        .profiles = state.profiles(),
        .selectedProfileID = state.selectedProfileID(),
        .errorMessage = state.errorMessage(),
    };
}

bool BrowserConnectionFacts::hasSelectedProfile() const
{
    return selectedProfileID && std::any_of(profiles.begin(), profiles.end(), [this](const BrowserProfile& profile) {
               return profile.id == *selectedProfileID;
           });
}

BrowserConnectionStatus browserConnectionStatus(const BrowserConnectionFacts& facts)
{
    if (facts.isSettingUp) {
        return BrowserConnectionStatus::connecting;
    }
    if (facts.hasSelectedProfile()) {
        return BrowserConnectionStatus::connected;
    }
    return facts.profiles.empty() ? BrowserConnectionStatus::disconnected : BrowserConnectionStatus::profileNeeded;
}

QString statusShortText(BrowserConnectionStatus status)
{
    switch (status) {
    case BrowserConnectionStatus::connected:
        return shell_text::connectedShort;
    case BrowserConnectionStatus::connecting:
        return shell_text::connectingShort;
    case BrowserConnectionStatus::profileNeeded:
        return shell_text::profileNeededShort;
    case BrowserConnectionStatus::disconnected:
        break;
    }
    return shell_text::disconnectedShort;
}

QString statusTitle(BrowserConnectionStatus status)
{
    switch (status) {
    case BrowserConnectionStatus::connected:
        return shell_text::connectedTitle;
    case BrowserConnectionStatus::connecting:
        return shell_text::connectingTitle;
    case BrowserConnectionStatus::profileNeeded:
        return shell_text::profileNeededTitle;
    case BrowserConnectionStatus::disconnected:
        break;
    }
    return shell_text::disconnectedTitle;
}

QString connectionLabelText(BrowserConnectionStatus status)
{
    return shell_text::chromePrefix + statusShortText(status);
}

QString connectionTooltip(BrowserConnectionStatus status, const std::optional<std::string>& errorMessage)
{
    QStringList lines{statusTitle(status)};
    if (errorMessage) {
        lines << toQString(*errorMessage);
    }
    lines << shell_text::connectionClickHint;
    return lines.join(QLatin1Char('\n'));
}

BrowserConnectionGuidance browserConnectionGuidance(const BrowserConnectionFacts& facts)
{
    if (facts.hasSelectedProfile()) {
        return BrowserConnectionGuidance::keepChromeOpen;
    }
    return facts.profiles.empty() ? BrowserConnectionGuidance::installExtension
                                  : BrowserConnectionGuidance::chooseProfile;
}

QString guidanceText(BrowserConnectionGuidance guidance, const QString& extensionFolder)
{
    switch (guidance) {
    case BrowserConnectionGuidance::keepChromeOpen:
        return shell_text::keepChromeOpenGuidance;
    case BrowserConnectionGuidance::chooseProfile:
        return shell_text::chooseProfileGuidance;
    case BrowserConnectionGuidance::installExtension:
        break;
    }
    return shell_text::installExtensionGuidance(extensionFolder);
}

bool showsInstallButton(const BrowserConnectionFacts& facts)
{
    return !facts.isSettingUp && facts.profiles.empty();
}

bool showsChromeMissingNote(const BrowserConnectionFacts& facts, bool chromeInstalled)
{
    return showsInstallButton(facts) && !chromeInstalled;
}

int browserConnectionPopoverHeight(double contentHeight)
{
    return static_cast<int>(std::min(std::ceil(contentHeight), double(browserConnectionPopoverMaximumHeight)));
}

QString shortProfileID(const std::string& id)
{
    return toQString(id).left(8);
}

} // namespace tavlen::ui
