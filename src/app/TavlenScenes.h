#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

namespace tavlen {

namespace ui {
class BrowserConnection;
class MainWindow;
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

    // What "Settings…" and the toolbar's settings button do; nothing until the settings window is built.
    std::function<void()> showSettings;

private:
    void handleOpenRequest();
    void createMainWindow();
    void updateNewMonitorEnabled();
    void updateCheckForUpdatesEnabled();

    TavlenApp& m_app;
    std::unique_ptr<ui::ShellCommands> m_commands;
    std::unique_ptr<ui::TrayIcon> m_tray;
    std::unique_ptr<ui::BrowserConnection> m_browserConnection;
    std::unique_ptr<ui::MainWindow> m_mainWindow;
    std::unique_ptr<WindowCloseGuard> m_closeGuard;
};

} // namespace tavlen
