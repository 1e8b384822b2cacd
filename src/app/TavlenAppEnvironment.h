#pragma once

#include "MonitorScheduler.h"
#include "SystemKeepAwakeService.h"
#include "UpdaterController.h"

#include <filesystem>
#include <optional>

namespace tavlen {

// What the application takes from the machine; tests replace parts of it. Every empty member takes its default.
struct TavlenAppEnvironment
{
    // The bundle whose Info.json, config and program are used; default: the running program's.
    std::filesystem::path bundleDirectory;
    // The bus of logind's idle inhibitor; default: the system bus.
    SystemKeepAwakeService::BusConnection systemBus;
    // The scheduler's clock, zone, tick and watchers; default: the system's.
    MonitorSchedulerEnvironment scheduler;
    // The software-update framework's controller; none exists on this platform yet.
    UpdaterControllerFactory updaterController;
};

} // namespace tavlen
