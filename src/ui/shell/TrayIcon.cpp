#include "TrayIcon.h"

#include "Icons.h"
#include "ShellCommands.h"
#include "ShellText.h"

namespace tavlen::ui {

TrayIcon::TrayIcon(ShellCommands& commands, QObject* parent)
    : QObject(parent)
{
    m_menu.setTitle(shell_text::appName);
    m_menu.addAction(&commands.openTavlen());
    m_menu.addSeparator();
    m_menu.addAction(&commands.quit());
    m_icon.setIcon(kitIcon(shell_text::trayIcon));
    m_icon.setToolTip(shell_text::appName);
    m_icon.setContextMenu(&m_menu);
    connect(&m_icon, &QSystemTrayIcon::activated, this, [&commands](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) {
            commands.openTavlen().trigger();
        }
    });
}

TrayIcon::~TrayIcon() = default;

} // namespace tavlen::ui
