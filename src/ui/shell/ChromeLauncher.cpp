#include "ChromeLauncher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

namespace tavlen::ui {

std::optional<QString> SystemChromeLauncher::chromeProgram() const
{
    for (const QString& name : {QStringLiteral("google-chrome"), QStringLiteral("chromium")}) {
        const QString program = QStandardPaths::findExecutable(name);
        if (!program.isEmpty()) {
            return program;
        }
    }
    return std::nullopt;
}

bool SystemChromeLauncher::openWithDefaultHandler(const QUrl& address)
{
    return QDesktopServices::openUrl(address);
}

QCoro::Task<bool> SystemChromeLauncher::openInChrome(QString program, QUrl address)
{
    // Starting a program is quick; Chrome hands the address to a running instance itself.
    co_return QProcess::startDetached(program, {address.toString()});
}

void SystemChromeLauncher::showFolder(const QString& folder)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

} // namespace tavlen::ui
