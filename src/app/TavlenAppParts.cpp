#include "TavlenAppParts.h"

#include "AnthropicReadingService.h"
#include "CloudHTTPTransport.h"
#include "GeminiReadingService.h"
#include "OllamaHTTPTransport.h"
#include "OllamaReadingService.h"
#include "OpenAIHTTPTransport.h"
#include "OpenAIReadingService.h"

namespace tavlen {

namespace {

// What one read may cost and carry, per provider.
constexpr OpenAIReadingLimits openAILimits{4096, 33'554'432, 2'097'152};
constexpr CloudReadingLimits anthropicLimits{4096, 20'971'520, 2'097'152};
constexpr CloudReadingLimits geminiLimits{4096, 20'971'520, 2'097'152};

} // namespace

TavlenAppParts::TavlenAppParts(MonitorDatabase& database, const ProviderEndpoints& providers)
    : profileRepository(database)
    , stepsRepository(database)
    , checkRepository(std::make_shared<SQLiteMonitorCheckRepository>(database))
    , chartReader(std::make_shared<ChartSnapshotReader>(database))
    , scheduleRepository(database)
{
    using Provider = ModelSelection::Provider;
    keyStores[Provider::anthropic] = std::make_shared<SQLiteProviderKeyStore>(database, Provider::anthropic);
    keyStores[Provider::gemini] = std::make_shared<SQLiteProviderKeyStore>(database, Provider::gemini);
    auto openAI =
        std::make_shared<OpenAIReadingService>(std::make_shared<SQLiteProviderKeyStore>(database, Provider::openAI),
                                               std::make_shared<OpenAIHTTPTransport>(providers.openAI),
                                               openAILimits);
    auto ollama = std::make_shared<OllamaReadingService>(OllamaClient(std::make_shared<OllamaHTTPTransport>()));
    auto anthropic = std::make_shared<AnthropicReadingService>(
        keyStores[Provider::anthropic], std::make_shared<CloudHTTPTransport>(providers.cloud), anthropicLimits);
    auto gemini = std::make_shared<GeminiReadingService>(
        keyStores[Provider::gemini], std::make_shared<CloudHTTPTransport>(providers.cloud), geminiLimits);
    router = std::make_unique<ReadingRouter>(openAI, ollama, anthropic, gemini);
}

} // namespace tavlen
