#include "TavlenScenes.h"

#include "AppUpdater.h"
#include "BrowserConnection.h"
#include "BrowserConnectionButton.h"
#include "ChromeLauncher.h"
#include "KeepAwakeSettings.h"
#include "MainWindow.h"
#include "MonitorWorkspace.h"
#include "ProviderKeySettings.h"
#include "SettingsView.h"
#include "ShellCommands.h"
#include "TavlenApp.h"
#include "TrayIcon.h"
#include "WindowCloseGuard.h"
#include "WorkspaceView.h"

namespace tavlen {

TavlenScenes::TavlenScenes(TavlenApp& app)
    : m_app(app)
    , m_commands(std::make_unique<ui::ShellCommands>())
    , m_tray(std::make_unique<ui::TrayIcon>(*m_commands))
{
    AppDelegate& delegate = app.appDelegate();
    connect(&m_commands->openTavlen(), &QAction::triggered, &delegate, [&delegate] { delegate.requestMainWindow(); });
    connect(&m_commands->quit(), &QAction::triggered, &delegate, [&delegate] { delegate.terminate(); });
    connect(&m_commands->newMonitor(), &QAction::triggered, this, [this, &delegate] {
        delegate.requestMainWindow();
        m_app.workspace().beginNewMonitor();
    });
    std::vector<ProviderKeySettings*> credentials;
    for (const auto& provider : app.credentials()) {
        credentials.push_back(provider.get());
    }
    m_settings = std::make_unique<ui::SettingsView>(ui::SettingsView::Parts{
        .credentials = std::move(credentials),
        .models = app.modelSettings(),
        .updater = app.updater(),
        .loginItem = app.loginItem(),
        .keepAwake = app.keepAwake(),
        .defaults = app.keepAwake().defaults(),
    });
    showSettings = [settings = m_settings.get()] {
        settings->show();
        settings->raise();
        settings->activateWindow();
    };
    connect(&m_commands->openSettings(), &QAction::triggered, this, [this] {
        if (showSettings) {
            showSettings();
        }
    });

    MonitorWorkspace& workspace = app.workspace();
    for (const auto signal : {&MonitorWorkspaceState::loadStateChanged,
                              &MonitorWorkspaceState::isBusyChanged,
                              &MonitorWorkspaceState::editorChanged,
                              &MonitorWorkspaceState::deletionCandidateChanged}) {
        connect(&workspace, signal, this, &TavlenScenes::updateNewMonitorEnabled);
    }
    updateNewMonitorEnabled();

    // Building the command reads the updater, which makes it.
    AppUpdater& updater = app.updater();
    connect(&updater, &AppUpdater::canCheckForUpdatesChanged, this, &TavlenScenes::updateCheckForUpdatesEnabled);
    connect(&m_commands->checkForUpdates(), &QAction::triggered, &updater, [&updater] {
        if (updater.canCheckForUpdates()) {
            updater.checkForUpdates();
        }
    });
    updateCheckForUpdatesEnabled();

    connect(&delegate, &AppDelegate::mainWindowOpenRequestChanged, this, &TavlenScenes::handleOpenRequest);
    handleOpenRequest();
    m_tray->icon().show();
}

TavlenScenes::~TavlenScenes() = default;

void TavlenScenes::handleOpenRequest()
{
    AppDelegate& delegate = m_app.appDelegate();
    if (!delegate.consumeMainWindowOpenRequest()) {
        return;
    }
    if (!m_mainWindow) {
        createMainWindow();
    }
    m_mainWindow->show();
    delegate.showMainWindow();
}

void TavlenScenes::createMainWindow()
{
    m_mainWindow = std::make_unique<ui::MainWindow>(*m_commands);
    m_mainWindow->setContent(
        new ui::WorkspaceView(m_app.workspace(), m_app.stepsStore(), m_app.stepsNavigation(), &m_app.scheduler()));
    m_browserConnection = std::make_unique<ui::ClientBrowserConnection>(m_app.browser());
    const std::filesystem::path extension = m_app.bundleDirectory() / "Resources" / "extension";
    m_mainWindow->setConnectionButton(new ui::BrowserConnectionButton(*m_browserConnection,
                                                                      std::make_shared<ui::SystemChromeLauncher>(),
                                                                      QString::fromStdString(extension.string())));
    m_closeGuard = std::make_unique<WindowCloseGuard>(m_app.appDelegate(), *m_mainWindow);
    m_mainWindow->shouldClose = [guard = m_closeGuard.get()] { return guard->windowShouldClose(); };
    m_app.appDelegate().setMainWindow(m_mainWindow.get());
}

void TavlenScenes::updateNewMonitorEnabled()
{
    m_commands->newMonitor().setEnabled(m_app.workspace().canStartAction());
}

void TavlenScenes::updateCheckForUpdatesEnabled()
{
    m_commands->checkForUpdates().setEnabled(m_app.updater().canCheckForUpdates());
}

} // namespace tavlen
