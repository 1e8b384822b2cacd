#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

namespace tavlen {

namespace ui {
class BrowserConnection;
class MainWindow;
class SettingsView;
class ShellCommands;
class TrayIcon;
} // namespace ui

class TavlenApp;
class WindowCloseGuard;

// What Tavlen shows: the main window (made on the first open request, then kept), the tray icon with its menu,
// and the commands of both, bound to the delegate, the workspace and the updater. Creates no service. Main
// thread only.
class TavlenScenes : public QObject
{
    Q_OBJECT

public:
    explicit TavlenScenes(TavlenApp& app);
    ~TavlenScenes() override;

    ui::ShellCommands& commands() const { return *m_commands; }

    ui::TrayIcon& tray() const { return *m_tray; }

    // None until the first open request.
    ui::MainWindow* mainWindow() const { return m_mainWindow.get(); }

    // What "Settings…", the toolbar's settings button and the steps editor's "Manage AI models…" do: bring up
    // the settings window (the steps editor stores the pane first).
    std::function<void()> showSettings;

    ui::SettingsView& settings() const { return *m_settings; }

private:
    void handleOpenRequest();
    void createMainWindow();
    void updateNewMonitorEnabled();
    void updateCheckForUpdatesEnabled();

    TavlenApp& m_app;
    std::unique_ptr<ui::ShellCommands> m_commands;
    std::unique_ptr<ui::TrayIcon> m_tray;
    std::unique_ptr<ui::SettingsView> m_settings;
    std::unique_ptr<ui::BrowserConnection> m_browserConnection;
    std::unique_ptr<ui::MainWindow> m_mainWindow;
    std::unique_ptr<WindowCloseGuard> m_closeGuard;
};

} // namespace tavlen
