#include "BrowserConnectionLabel.h"
#include "BrowserConnectionPopover.h"
#include "Scene.h"
#include "StandInBrowserConnection.h"

#include <QVBoxLayout>

namespace tavlen::screenshots {
namespace {

using test::listedProfile;

const QString extensionFolder = QStringLiteral("/usr/local/lib/tavlen/Resources/extension");

// The toolbar label over the popover's content, with the client in one state; the stand-in lives as long as the
// picture.
class ConnectionScene : public QWidget
{
public:
    explicit ConnectionScene(const std::function<void(test::StandInBrowserConnection&)>& arrange,
                             bool chromeInstalled = true)
    {
        arrange(m_connection);
        auto launcher = std::make_shared<test::StandInChromeLauncher>();
        if (chromeInstalled) {
            launcher->chrome = QStringLiteral("/usr/bin/chromium");
        }
        auto* layout = new QVBoxLayout(this);
        auto* label = new ui::BrowserConnectionLabel;
        label->setStatus(ui::browserConnectionStatus(
            ui::BrowserConnectionFacts::from(m_connection.state(), m_connection.canSelectProfile())));
        layout->addWidget(label);
        auto* popover = new ui::BrowserConnectionPopover(m_connection, launcher, extensionFolder);
        popover->setFixedSize(popover->sizeHint());
        layout->addWidget(popover);
    }

private:
    test::StandInBrowserConnection m_connection;
};

template <class... Arguments> std::function<std::unique_ptr<QWidget>()> scene(Arguments... arguments)
{
    return [=] { return std::make_unique<ConnectionScene>(arguments...); };
}

const SceneRegistrar disconnected{QStringLiteral("shell-connection-disconnected"), scene([](auto&) {})};
const SceneRegistrar noChrome{QStringLiteral("shell-connection-disconnected-no-chrome"), scene([](auto&) {}, false)};
const SceneRegistrar connecting{QStringLiteral("shell-connection-connecting"),
                                scene([](test::StandInBrowserConnection& c) { c.clientState.setSettingUp(true); })};
const SceneRegistrar profileNeeded{
    QStringLiteral("shell-connection-profile-needed"), scene([](test::StandInBrowserConnection& c) {
        c.clientState.setProfiles({listedProfile("a81f2c4e-profile", "Personal"), listedProfile("b7", "Work")});
    })};
const SceneRegistrar connected{
    QStringLiteral("shell-connection-connected"), scene([](test::StandInBrowserConnection& c) {
        c.clientState.setSelectedProfileID(std::string("b7"));
        c.clientState.setProfiles({listedProfile("a81f2c4e-profile", "Personal"), listedProfile("b7", "Work", true)});
    })};
const SceneRegistrar failing{
    QStringLiteral("shell-connection-errors"), scene([](test::StandInBrowserConnection& c) {
        c.canSelect = false;
        c.clientState.setProfiles({listedProfile("a81f2c4e-profile", "Personal")});
        c.clientState.setSelectingProfile(true);
        c.clientState.setConnectionError(std::string("Chrome's native messaging folder could not be written."));
        c.clientState.setSelectionError(std::string("Could not save the Chrome profile. The disk is full."));
    })};

} // namespace
} // namespace tavlen::screenshots
