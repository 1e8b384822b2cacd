#pragma once

#include <QMenu>
#include <QSystemTrayIcon>

namespace tavlen::ui {

class ShellCommands;

// Tavlen in the tray for the life of the process: the "EyeOpen" symbol, titled "Tavlen", with the menu "Open
// Tavlen", a divider and "Quit". A left click opens Tavlen too.
class TrayIcon : public QObject
{
    Q_OBJECT

public:
    explicit TrayIcon(ShellCommands& commands, QObject* parent = nullptr);
    ~TrayIcon() override;

    QSystemTrayIcon& icon() { return m_icon; }

    QMenu& menu() { return m_menu; }

private:
    QMenu m_menu;
    QSystemTrayIcon m_icon;
};

} // namespace tavlen::ui
