#pragma once

#include "ChartSnapshotReader.h"
#include "ModelSelection.h"
#include "ReadingRouter.h"
#include "SQLiteBrowserProfileRepository.h"
#include "SQLiteMonitorCheckRepository.h"
#include "SQLiteProviderKeyStore.h"
#include "SQLiteScheduleRepository.h"
#include "SQLiteStepsRepository.h"
#include "TavlenAppEnvironment.h"

#include <map>
#include <memory>

namespace tavlen {

class MonitorDatabase;

// The values of the object graph that only its objects reach: the repositories and key stores over
// the one database, and the readers behind the router. Building them does no input or output.
struct TavlenAppParts
{
    TavlenAppParts(MonitorDatabase& database, const ProviderEndpoints& providers);

    SQLiteBrowserProfileRepository profileRepository;
    // The key stores of Anthropic and Gemini, shared by their settings, readers and the model discovery.
    std::map<ModelSelection::Provider, std::shared_ptr<SQLiteProviderKeyStore>> keyStores;
    std::unique_ptr<ReadingRouter> router;
    SQLiteStepsRepository stepsRepository;
    std::shared_ptr<SQLiteMonitorCheckRepository> checkRepository;
    std::shared_ptr<ChartSnapshotReader> chartReader;
    SQLiteScheduleRepository scheduleRepository;
};

} // namespace tavlen
