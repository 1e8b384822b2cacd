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

inline const QString trayIcon = QStringLiteral("EyeOpen");
inline const QString settingsIcon = QStringLiteral("gearshape");

} // namespace tavlen::ui::shell_text
