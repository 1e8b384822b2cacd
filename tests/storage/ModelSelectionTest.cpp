#include "ModelSelection.h"

#include "ConfiguredModel.h"
#include "MonitorStoreError.h"
#include "StorageMessages.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_set>

namespace tavlen {
namespace {

using Provider = ModelSelection::Provider;

std::optional<MonitorStoreError> validationError(const ModelSelection& selection)
{
    try {
        selection.validate();
    } catch (const MonitorStoreError& error) {
        return error;
    }
    return std::nullopt;
}

TEST(ModelSelectionTest, validate_appliesIdentifierAndHostRules)
{
    const auto invalid = MonitorStoreError::invalidStoredData();
    const auto hostFormat = MonitorStoreError::validation(storage_messages::ollamaHostFormat);

    struct Row
    {
        const char* name;
        ModelSelection selection;
        std::optional<MonitorStoreError> error;
    };

    const Row rows[] = {
        {"256 ASCII characters", {Provider::anthropic, std::string(256, 'a'), {}}, {}},
        {"257 ASCII characters", {Provider::openAI, std::string(257, 'a'), {}}, invalid},
        {"empty identifier", {Provider::openAI, "", {}}, invalid},
        {"identifier with a space", {Provider::openAI, "gpt 4", {}}, invalid},
        {"identifier with a tab", {Provider::ollama, "llama\t3", "http://localhost:11434"}, invalid},
        {"identifier with a zero-width format character", {Provider::gemini, "gemini\u200Bpro", {}}, invalid},
        {"slash refused for Anthropic", {Provider::anthropic, "claude/3", {}}, invalid},
        {"colon refused for Gemini", {Provider::gemini, "gemini:pro", {}}, invalid},
        {"non-ASCII letter refused for Gemini", {Provider::gemini, "gemin\u00ED", {}}, invalid},
        {"slash and colon accepted for OpenAI", {Provider::openAI, "org/model:v1", {}}, {}},
        {"OpenAI with a host", {Provider::openAI, "gpt-4o", "http://localhost:11434"}, invalid},
        {"Gemini with a host", {Provider::gemini, "gemini-pro", "http://localhost:11434"}, invalid},
        {"Ollama without a host", {Provider::ollama, "llama3", {}}, invalid},
        {"Ollama host in upper case", {Provider::ollama, "llama3", "http://LOCALHOST:11434"}, invalid},
        {"Ollama host with a trailing slash", {Provider::ollama, "llama3", "http://localhost:11434/"}, invalid},
        {"Ollama host with http port 80", {Provider::ollama, "llama3", "http://localhost:80"}, invalid},
        {"Ollama host that does not normalise", {Provider::ollama, "llama3", "ftp://localhost"}, hostFormat},
        {"Ollama with a normalised host", {Provider::ollama, "llama3:8b", "http://localhost:11434"}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(validationError(row.selection), row.error);
    }
}

TEST(ModelSelectionTest, normalizedOllamaHost_givesOneCanonicalAddress)
{
    struct Row
    {
        const char* typed;
        const char* host; // nullptr: host error A
    };

    const Row rows[] = {
        {"LocalHost", "http://localhost:11434"},
        {"  gpu-box.lan:8080 \n", "http://gpu-box.lan:8080"},
        {"http://gpu-box.lan", "http://gpu-box.lan"},
        {"gpu-box.lan:80", "http://gpu-box.lan"},
        {"http://gpu-box.lan:80", "http://gpu-box.lan"},
        {"https://gpu-box.lan:443", "https://gpu-box.lan"},
        {"https://gpu-box.lan:11434", "https://gpu-box.lan:11434"},
        {"HTTPS://GPU-Box.LAN/", "https://gpu-box.lan"},
        {"[::1]", "http://[::1]:11434"},
        {"127.0.0.1:11434", "http://127.0.0.1:11434"},
        {"http://user@gpu-box.lan", nullptr},
        {"http://gpu-box.lan?x=1", nullptr},
        {"http://gpu-box.lan#top", nullptr},
        {"http://gpu-box.lan/api", nullptr},
        {"gpu-box.lan:0", nullptr},
        {"gpu-box.lan:65536", nullptr},
        {"ftp://gpu-box.lan", nullptr},
        {"gpu box.lan", nullptr},
        {"   ", nullptr},
        {"http://", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        if (row.host == nullptr) {
            try {
                ModelSelection::normalizedOllamaHost(row.typed);
                ADD_FAILURE() << "accepted";
            } catch (const MonitorStoreError& error) {
                EXPECT_EQ(error, MonitorStoreError::validation(storage_messages::ollamaHostFormat));
            }
            continue;
        }
        const std::string host = ModelSelection::normalizedOllamaHost(row.typed);
        EXPECT_EQ(host, row.host);
        EXPECT_EQ(ModelSelection::normalizedOllamaHost(host), host);
    }
    EXPECT_THROW(ModelSelection::normalizedOllamaHost("h" + std::string(2048, 'a')), MonitorStoreError);
}

TEST(ModelSelectionTest, providersLabelsAndEquality)
{
    for (Provider provider : ModelSelection::allProviders()) {
        EXPECT_EQ(ModelSelection::providerFromStoredText(ModelSelection::storedText(provider)), provider);
    }
    EXPECT_EQ(ModelSelection::providerFromStoredText("OpenAI"), std::nullopt);
    EXPECT_EQ((ModelSelection{Provider::anthropic, "claude-x", {}}.displayName()), "claude-x \u00B7 Anthropic");
    EXPECT_EQ((ModelSelection{Provider::ollama, "llama3", "http://gpu:1"}.displayName()),
              "llama3 \u00B7 Ollama \u00B7 http://gpu:1");
    EXPECT_EQ((ModelSelection{Provider::ollama, "llama3", {}}.displayName()),
              "llama3 \u00B7 Ollama \u00B7 http://localhost:11434");

    const ModelSelection composed{Provider::openAI, "mod\u00E8le", {}};
    const ModelSelection decomposed{Provider::openAI, "mode\u0300le", {}};
    EXPECT_EQ(composed, decomposed);
    EXPECT_EQ(std::hash<ModelSelection>{}(composed), std::hash<ModelSelection>{}(decomposed));
    EXPECT_NE(composed, (ModelSelection{Provider::openAI, "mod\u00E8le", ""}));
    EXPECT_TRUE(modelSelectionsEqual({composed}, {decomposed}));
    EXPECT_FALSE(modelSelectionsEqual({composed}, {}));

    const ConfiguredModel configured{Uuid::random(), composed};
    std::unordered_set<ConfiguredModel> models{configured};
    EXPECT_EQ(models.count(ConfiguredModel{configured.id, decomposed}), 1u);
}

} // namespace
} // namespace tavlen
