#pragma once

#include "BrowserProfile.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace tavlen {
class BrowserClientState;
}

namespace tavlen::ui {

// Whether Tavlen can reach Chrome right now, as the toolbar and the connection popover show it.
enum class BrowserConnectionStatus
{
    connected,
    connecting,
    profileNeeded,
    disconnected,
};

// What the connection views read of the browser client, taken afresh on every change.
struct BrowserConnectionFacts
{
    bool isSettingUp = false;
    bool isSelectingProfile = false;
    bool canSelectProfile = false;
    std::vector<BrowserProfile> profiles{};
    std::optional<std::string> selectedProfileID{};
    std::optional<std::string> errorMessage{};

    static BrowserConnectionFacts from(const BrowserClientState& state, bool canSelectProfile);

    // A listed profile is the selected one (a saved selection whose extension is gone is none).
    bool hasSelectedProfile() const;
};

// Setting up wins; then a listed selected profile; then any listed profile; else nothing is connected.
BrowserConnectionStatus browserConnectionStatus(const BrowserConnectionFacts& facts);

QString statusShortText(BrowserConnectionStatus status);
// The popover's title and the tooltip's first line.
QString statusTitle(BrowserConnectionStatus status);
// "Chrome: " and the short text.
QString connectionLabelText(BrowserConnectionStatus status);
// The title, the client's error lines when there are any, and the click hint, one per line.
QString connectionTooltip(BrowserConnectionStatus status, const std::optional<std::string>& errorMessage);

enum class BrowserConnectionGuidance
{
    keepChromeOpen,   // a listed profile is selected
    chooseProfile,    // profiles are listed, none selected
    installExtension, // nothing is listed
};

BrowserConnectionGuidance browserConnectionGuidance(const BrowserConnectionFacts& facts);
// The guidance's sentence; installing names the folder to load unpacked.
QString guidanceText(BrowserConnectionGuidance guidance, const QString& extensionFolder);

// "Install Chrome extension" shows while nothing is listed and the client is not setting up.
bool showsInstallButton(const BrowserConnectionFacts& facts);
// The note on installing Chrome shows with the install button when no Chrome program is found.
bool showsChromeMissingNote(const BrowserConnectionFacts& facts, bool chromeInstalled);

inline constexpr int browserConnectionPopoverWidth = 480;
inline constexpr int browserConnectionPopoverMaximumHeight = 520;

// The popover is as high as its content, rounded up to a whole pixel, at most 520; beyond that it scrolls.
int browserConnectionPopoverHeight(double contentHeight);
// The first 8 characters of a profile id (all of a shorter one), shown under its name.
QString shortProfileID(const std::string& id);

} // namespace tavlen::ui
