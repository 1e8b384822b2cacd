#pragma once

#include <QString>

namespace tavlen::ui::settings_text {

inline const QString windowTitle = QStringLiteral("Tavlen Settings");
inline const QString windowIdentifier = QStringLiteral("settings");
inline const QString tabsIdentifier = QStringLiteral("settings-tabs");
inline const QString generalTab = QStringLiteral("General");
inline const QString modelsTab = QStringLiteral("AI models");
inline const QString apiKeysTab = QStringLiteral("API keys");
inline const QString generalSymbol = QStringLiteral("gearshape");
inline const QString modelsSymbol = QStringLiteral("cpu");
inline const QString apiKeysSymbol = QStringLiteral("key");

// General: Startup, Sleep, Updates.
inline const QString startupHeader = QStringLiteral("Startup");
inline const QString startAtLogin = QStringLiteral("Start at login");
inline const QString startAtLoginNote = QStringLiteral("Start Tavlen in the tray when you log in to your computer.");
inline const QString approvalRequired =
    QStringLiteral("Approval required. Allow Tavlen in Startup Applications to start automatically.");
inline const QString openLoginItems = QStringLiteral("Open Startup Applications Settings");
inline const QString loginItemNotFound =
    QStringLiteral("The login item is unavailable. Install Tavlen again and try again.");
inline const QString sleepHeader = QStringLiteral("Sleep");
inline const QString keepAwake = QStringLiteral("Keep computer awake");
inline const QString keepAwakeNote =
    QStringLiteral("Prevent automatic sleep while Tavlen is running so scheduled monitors can continue. The display "
                   "can turn off. Closing the lid or choosing Sleep can still put your computer to sleep.");
inline const QString updatesHeader = QStringLiteral("Updates");
inline const QString installedVersion = QStringLiteral("Installed version");
inline const QString automaticUpdates = QStringLiteral("Automatically check for updates");
inline const QString automaticUpdatesNote =
    QStringLiteral("Tavlen checks daily. You choose when to download, install, and restart.");
inline const QString checkForUpdates = QStringLiteral("Check for Updates\u2026");
inline const QString updatesUnavailable = QStringLiteral("Updates are available in the downloaded release app.");

// AI models.
inline const QString defaultHeader = QStringLiteral("New Read steps");
inline const QString defaultFooter =
    QStringLiteral("New Read steps use this model. Existing steps keep their saved selection.");
inline const QString defaultModel = QStringLiteral("Default model");
inline const QString configuredHeader = QStringLiteral("Configured models");
inline const QString loadingModels = QStringLiteral("Loading models\u2026");
inline const QString noModelsTitle = QStringLiteral("No AI models yet");
inline const QString noModelsDescription =
    QStringLiteral("Add a cloud or Ollama model to read values from your monitored pages.");
inline const QString defaultMark = QStringLiteral("Default");
inline const QString removePrefix = QStringLiteral("Remove ");
inline const QString retry = QStringLiteral("Retry");
inline const QString addModel = QStringLiteral("Add model");
inline const QString addModelTitle = QStringLiteral("Add AI model");
inline const QString provider = QStringLiteral("Provider");
inline const QString ollamaServer = QStringLiteral("Ollama server");

inline QString availableModels(const QString& provider)
{
    return QStringLiteral("Available %1 models").arg(provider);
}

inline const QString serverHost = QStringLiteral("Server host");

inline QString addKeyFirst(const QString& provider)
{
    return QStringLiteral("Add your %1 API key in Settings \u2192 API keys first.").arg(provider);
}

inline const QString connect = QStringLiteral("Connect");
inline const QString refreshModels = QStringLiteral("Refresh Models");
inline const QString model = QStringLiteral("Model");
inline const QString selectModel = QStringLiteral("Select a model");
inline const QString cancel = QStringLiteral("Cancel");

// API keys.
inline const QString apiKeysNote =
    QStringLiteral("Manage the keys shared by your cloud models. Ollama doesn\u2019t require an API key.");
inline const QString keySaved = QStringLiteral("API key saved");
inline const QString noKeySaved = QStringLiteral("No API key saved");
inline const QString apiKey = QStringLiteral("API key");
inline const QString saveKey = QStringLiteral("Save key");
inline const QString replaceKey = QStringLiteral("Replace key");
inline const QString removeKey = QStringLiteral("Remove key");
inline const QString checkingKey = QStringLiteral("Checking saved API key\u2026");
inline const QString savingKey = QStringLiteral("Saving API key\u2026");
inline const QString removingKey = QStringLiteral("Removing API key\u2026");

inline QString keyStorageNote(const QString& provider)
{
    return QStringLiteral("Stored in the local workspace database and shared by configured %1 models.").arg(provider);
}

inline QString createKey(const QString& provider)
{
    return QStringLiteral("Create %1 API key").arg(provider);
}

} // namespace tavlen::ui::settings_text
