#pragma once

#include "BrowserClientState.h"
#include "BrowserConnection.h"
#include "ChromeLauncher.h"
#include "Completion.h"

#include <optional>
#include <string>
#include <vector>

namespace tavlen::test {

// A Chrome connection whose state the test sets directly, for views shown in states a live client passes through
// only briefly. Choices are recorded, not applied.
class StandInBrowserConnection final : public ui::BrowserConnection
{
public:
    const BrowserClientState& state() const override { return clientState; }

    bool canSelectProfile() const override { return canSelect; }

    QCoro::Task<void> selectProfile(std::string profileID) override
    {
        chosen.push_back(std::move(profileID));
        co_return;
    }

    BrowserClientState clientState;
    bool canSelect = true;
    std::vector<std::string> chosen;
};

// Chrome and the desktop as the test has them: Chrome found or not, openings recorded and answered as told.
// An opening in Chrome waits for chromeOutcome when the test set one.
class StandInChromeLauncher final : public ui::ChromeLauncher
{
public:
    std::optional<QString> chromeProgram() const override { return chrome; }

    bool openWithDefaultHandler(const QUrl& address) override
    {
        openedByDefault.push_back(address);
        return defaultOpens;
    }

    QCoro::Task<bool> openInChrome(QString program, QUrl address) override
    {
        openedInChrome.emplace_back(std::move(program), std::move(address));
        if (chromeOutcome) {
            co_return co_await chromeOutcome->wait();
        }
        co_return true;
    }

    void showFolder(const QString& folder) override { shownFolders.push_back(folder); }

    std::optional<QString> chrome;
    bool defaultOpens = true;
    std::optional<Completion<bool>> chromeOutcome;
    std::vector<QUrl> openedByDefault;
    std::vector<std::pair<QString, QUrl>> openedInChrome;
    std::vector<QString> shownFolders;
};

// A connected profile as the client lists it.
inline BrowserProfile listedProfile(const std::string& id, const std::string& name, bool selected = false)
{
    return BrowserProfile{.id = id, .profileName = name, .selected = selected, .version = "0.1.0", .connectionID = id};
}

} // namespace tavlen::test
