#pragma once

#include <QCoroTask>

#include <functional>
#include <string>

class QObject;

namespace tavlen {
class BrowserClient;
class BrowserClientState;
} // namespace tavlen

namespace tavlen::ui {

// What the Chrome connection views use of the browser client: its observed state, whether a profile may be
// chosen now, and the choice itself (whose outcome shows only through the state).
class BrowserConnection
{
public:
    virtual ~BrowserConnection() = default;

    virtual const BrowserClientState& state() const = 0;
    virtual bool canSelectProfile() const = 0;
    virtual QCoro::Task<void> selectProfile(std::string profileID) = 0;
};

// Calls changed (in context) whenever an observed property of the state changes: the views derive everything
// afresh from it, including whether a profile may be chosen.
void observeBrowserState(const BrowserClientState& state, QObject* context, const std::function<void()>& changed);

// The application's browser client, which must outlive it.
class ClientBrowserConnection final : public BrowserConnection
{
public:
    explicit ClientBrowserConnection(BrowserClient& client)
        : m_client(client)
    {}

    const BrowserClientState& state() const override;
    bool canSelectProfile() const override;
    QCoro::Task<void> selectProfile(std::string profileID) override;

private:
    BrowserClient& m_client;
};

} // namespace tavlen::ui
