#include "ShellCommands.h"

#include "ShellText.h"

namespace tavlen::ui {

ShellCommands::ShellCommands(QObject* parent)
    : QObject(parent)
    , m_newMonitor(shell_text::newMonitor)
    , m_checkForUpdates(shell_text::checkForUpdates)
    , m_openSettings(shell_text::settingsCommand)
    , m_openTavlen(shell_text::openTavlen)
    , m_quit(shell_text::quit)
{
    m_newMonitor.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    m_openSettings.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    m_quit.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_newMonitor.setEnabled(false);
    m_checkForUpdates.setEnabled(false);
    for (QAction* action : {&m_newMonitor, &m_checkForUpdates, &m_openSettings, &m_openTavlen, &m_quit}) {
        action->setMenuRole(QAction::NoRole);
    }
}

} // namespace tavlen::ui
