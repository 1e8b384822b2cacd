#pragma once

#include "CloudHTTPTransport.h"
#include "MonitorScheduler.h"
#include "OpenAIHTTPTransport.h"
#include "SystemKeepAwakeService.h"
#include "UpdaterController.h"

#include <filesystem>
#include <optional>

namespace tavlen {

// Where the providers' APIs start: their public servers unless a test points them at a loopback server.
struct ProviderEndpoints
{
    QUrl openAI = OpenAIHTTPTransport::defaultBaseURL();
    CloudHTTPTransport::BaseURLs cloud = CloudHTTPTransport::defaultBaseURLs();
};

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
    // The providers' servers, for reading and for listing models.
    ProviderEndpoints providers;
};

} // namespace tavlen
