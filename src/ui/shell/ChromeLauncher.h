#pragma once

#include <QCoroTask>
#include <QString>
#include <QUrl>

#include <optional>

namespace tavlen::ui {

// How the connection popover reaches Chrome and the desktop: finding Chrome, opening an address in it or with
// the default handler, and showing a folder.
class ChromeLauncher
{
public:
    virtual ~ChromeLauncher() = default;

    // The Chrome program when one is installed.
    virtual std::optional<QString> chromeProgram() const = 0;
    // False when no handler could be started for the address.
    virtual bool openWithDefaultHandler(const QUrl& address) = 0;
    // Starts program on the address; false when it could not be started.
    virtual QCoro::Task<bool> openInChrome(QString program, QUrl address) = 0;
    virtual void showFolder(const QString& folder) = 0;
};

// The desktop's: Chrome is a "google-chrome" or else a "chromium" program on the PATH.
class SystemChromeLauncher final : public ChromeLauncher
{
public:
    std::optional<QString> chromeProgram() const override;
    bool openWithDefaultHandler(const QUrl& address) override;
    QCoro::Task<bool> openInChrome(QString program, QUrl address) override;
    void showFolder(const QString& folder) override;
};

} // namespace tavlen::ui
