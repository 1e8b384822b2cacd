#pragma once

#include <functional>
#include <memory>
#include <optional>

namespace tavlen {

// The software-update framework's standard controller, as Tavlen drives it. No framework ships on this platform
// yet, so no build creates one; AppUpdater is written against this seam.
class UpdaterController
{
public:
    // A flag's new value, or none when the change carries none; may be delivered on any thread.
    using FlagObserver = std::function<void(std::optional<bool>)>;

    virtual ~UpdaterController() = default;

    // Delivers each flag's current value at once and every change after it.
    virtual void observeCanCheckForUpdates(FlagObserver observer) = 0;
    virtual void observeAutomaticallyChecksForUpdates(FlagObserver observer) = 0;
    virtual void setAutomaticallyChecksForUpdates(bool automatic) = 0;
    virtual void startUpdater() = 0;
    virtual void checkForUpdates() = 0;
};

// Creates the controller without starting it.
using UpdaterControllerFactory = std::function<std::unique_ptr<UpdaterController>()>;

} // namespace tavlen
