#pragma once

#include <QString>

namespace tavlen::ui::shell_text {

inline const QString appName = QStringLiteral("Tavlen");
inline const QString mainWindowIdentifier = QStringLiteral("main");

inline const QString fileMenu = QStringLiteral("&File");
inline const QString helpMenu = QStringLiteral("&Help");
inline const QString newMonitor = QStringLiteral("New monitor");
inline const QString checkForUpdates = QStringLiteral("Check for Updates\u2026");
inline const QString settingsCommand = QStringLiteral("Settings\u2026");
inline const QString openTavlen = QStringLiteral("Open Tavlen");
inline const QString quit = QStringLiteral("Quit");

inline const QString settingsLabel = QStringLiteral("Settings");
inline const QString settingsHelp = QStringLiteral("Open Tavlen settings");
inline const QString settingsButtonIdentifier = QStringLiteral("settings-button");
inline const QString toolbarIdentifier = QStringLiteral("main-toolbar");
inline const QString contentIdentifier = QStringLiteral("main-content");
inline const QString placeholderText = QStringLiteral("Monitors will appear here.");

// The Chrome connection button and popover.
inline const QString connectionButtonIdentifier = QStringLiteral("chrome-connection");
inline const QString connectionPopoverIdentifier = QStringLiteral("chrome-connection-popover");
inline const QString connectionLabel = QStringLiteral("Chrome connection");
inline const QString connectionHint = QStringLiteral("Show Chrome connection controls");
inline const QString chromePrefix = QStringLiteral("Chrome: ");
inline const QString connectedShort = QStringLiteral("Connected");
inline const QString connectingShort = QStringLiteral("Connecting\u2026");
inline const QString profileNeededShort = QStringLiteral("Select profile");
inline const QString disconnectedShort = QStringLiteral("Disconnected");
inline const QString connectedTitle = QStringLiteral("Connected to Chrome");
inline const QString connectingTitle = QStringLiteral("Preparing the Chrome connection\u2026");
inline const QString profileNeededTitle = QStringLiteral("Select a Chrome profile to continue.");
inline const QString disconnectedTitle = QStringLiteral("Waiting for Chrome...");
inline const QString connectionClickHint = QStringLiteral("Click to manage the Chrome connection.");
inline const QString keepChromeOpenGuidance =
    QStringLiteral("Keep Chrome open. Sign into websites directly in the selected profile.");
inline const QString chooseProfileGuidance =
    QStringLiteral("Choose Use this profile for the Chrome profile you want Tavlen to use. Sign into websites "
                   "directly in that profile.");

// Tavlen's extension has no store listing: it is loaded unpacked from the bundle.
inline QString installExtensionGuidance(const QString& folder)
{
    return QStringLiteral("Open Chrome. If needed, install the Tavlen extension in the profile you want to use: "
                          "choose Install Chrome extension, turn on Developer mode, choose Load unpacked and select "
                          "the folder %1. When it appears here, choose Use this profile.")
        .arg(folder);
}

inline const QString chromeMissingNote =
    QStringLiteral("Install Google Chrome, then open chrome://extensions in the profile you want to use. Until "
                   "Chrome is installed, the install button opens your default browser.");
inline const QString installExtension = QStringLiteral("Install Chrome extension");
inline const QString useThisProfile = QStringLiteral("Use this profile");
inline const QString selectedProfile = QStringLiteral("Selected");
// Where the extension is loaded from in Chrome.
inline const QString extensionsAddress = QStringLiteral("chrome://extensions");

inline QString linkFailed(const QString& address)
{
    return QStringLiteral("Could not open this link. Open %1 in your browser.").arg(address);
}

inline QString chromeFailed(const QString& address)
{
    return QStringLiteral("Could not open Google Chrome. Open Chrome and visit %1.").arg(address);
}

inline const QString connectedSymbol = QStringLiteral("checkmark.circle.fill");
inline const QString profileNeededSymbol = QStringLiteral("person.crop.circle.badge.questionmark");
inline const QString disconnectedSymbol = QStringLiteral("exclamationmark.circle.fill");
inline const QString connectedTitleSymbol = QStringLiteral("checkmark.circle");
inline const QString waitingTitleSymbol = QStringLiteral("globe");
inline const QString selectedSymbol = QStringLiteral("checkmark");

inline const QString trayIcon = QStringLiteral("EyeOpen");
inline const QString settingsIcon = QStringLiteral("gearshape");

} // namespace tavlen::ui::shell_text
