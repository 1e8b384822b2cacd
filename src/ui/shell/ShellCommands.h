#pragma once

#include <QAction>
#include <QObject>

namespace tavlen::ui {

// The commands of the menus, the toolbar and the tray, each one QAction so every place shows the same text,
// shortcut and enabled state. Whoever builds the application connects their triggered() signals and keeps
// their enabled state current; nothing here decides anything.
class ShellCommands : public QObject
{
    Q_OBJECT

public:
    explicit ShellCommands(QObject* parent = nullptr);

    QAction& newMonitor() { return m_newMonitor; } // Ctrl+N

    QAction& checkForUpdates() { return m_checkForUpdates; } // no shortcut

    QAction& openSettings() { return m_openSettings; } // Ctrl+,

    QAction& openTavlen() { return m_openTavlen; }

    QAction& quit() { return m_quit; } // Ctrl+Q

private:
    QAction m_newMonitor;
    QAction m_checkForUpdates;
    QAction m_openSettings;
    QAction m_openTavlen;
    QAction m_quit;
};

} // namespace tavlen::ui
