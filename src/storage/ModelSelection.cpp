#include "ModelSelection.h"

#include "ListEquality.h"
#include "MonitorStoreError.h"
#include "StorageMessages.h"
#include "Url.h"
#include "Utf8.h"

#include <algorithm>
#include <functional>

namespace tavlen {

namespace {

constexpr std::size_t maximumIdentifierBytes = 256;
constexpr std::size_t maximumHostBytes = 2048;
constexpr int defaultOllamaPort = 11434;

// True when no scalar is white space, a line break, or a control or format character.
bool passesWhitespaceOrControlTest(std::string_view text)
{
    if (!isValidUTF8(text)) {
        return false;
    }
    for (char32_t c : decodeUTF8(text)) {
        if (isWhitespaceOrNewline(c) || isControlCharacter(c)) {
            return false;
        }
    }
    return true;
}

std::string asciiLowercased(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return text;
}

MonitorStoreError hostFormatError()
{
    return MonitorStoreError::validation(storage_messages::ollamaHostFormat);
}

} // namespace

const std::array<ModelSelection::Provider, 4>& ModelSelection::allProviders()
{
    static constexpr std::array<Provider, 4> providers{
        Provider::openAI, Provider::anthropic, Provider::gemini, Provider::ollama};
    return providers;
}

const char* ModelSelection::storedText(Provider provider)
{
    switch (provider) {
    case Provider::openAI:
        return "openAI";
    case Provider::anthropic:
        return "anthropic";
    case Provider::gemini:
        return "gemini";
    case Provider::ollama:
        return "ollama";
    }
    return "openAI";
}

std::optional<ModelSelection::Provider> ModelSelection::providerFromStoredText(std::string_view text)
{
    for (Provider provider : allProviders()) {
        if (text == storedText(provider)) {
            return provider;
        }
    }
    return std::nullopt;
}

const char* ModelSelection::label(Provider provider)
{
    switch (provider) {
    case Provider::openAI:
        return "OpenAI";
    case Provider::anthropic:
        return "Anthropic";
    case Provider::gemini:
        return "Gemini";
    case Provider::ollama:
        return "Ollama";
    }
    return "OpenAI";
}

std::string ModelSelection::locationLabel(Provider provider, const std::optional<std::string>& host)
{
    if (provider != Provider::ollama) {
        return label(provider);
    }
    return host ? *host : std::string(storage_messages::defaultOllamaHost);
}

std::string ModelSelection::normalizedOllamaHost(std::string_view typed)
{
    const std::string_view trimmed = trimWhitespaceAndNewlines(typed);
    const bool hadScheme = trimmed.find("://") != std::string_view::npos;
    if (trimmed.empty() || trimmed.size() > maximumHostBytes || !passesWhitespaceOrControlTest(trimmed)) {
        throw hostFormatError();
    }
    const std::string text = hadScheme ? std::string(trimmed) : "http://" + std::string(trimmed);
    auto components = parseURLComponents(text);
    if (!components) {
        throw hostFormatError();
    }
    const std::string scheme = asciiLowercased(components->scheme);
    const bool portInRange = !components->port || (*components->port >= 1 && *components->port <= 65535);
    if ((scheme != "http" && scheme != "https") || !components->host || components->host->empty() || components->user ||
        components->password || components->query || components->fragment ||
        (components->path != "" && components->path != "/") || !portInRange) {
        throw hostFormatError();
    }
    const std::string host = asciiLowercased(*components->host);
    // 0 stands for no port; the range check above excluded 0 as a written port.
    int port = components->port.value_or(0);
    if (!hadScheme && port == 0) {
        port = defaultOllamaPort;
    }
    if ((scheme == "http" && port == 80) || (scheme == "https" && port == 443)) {
        port = 0;
    }
    std::string result = scheme;
    result.append("://");
    // An IP literal (it holds ":") goes back into brackets.
    const bool isLiteral = host.find(':') != std::string::npos;
    result.append(isLiteral ? "[" : "").append(host).append(isLiteral ? "]" : "");
    if (port != 0) {
        result.append(":").append(std::to_string(port));
    }
    const auto rebuilt = parseURLComponents(result);
    if (!rebuilt || !rebuilt->host || asciiLowercased(*rebuilt->host) != host || rebuilt->port.value_or(0) != port ||
        !rebuilt->path.empty()) {
        throw MonitorStoreError::validation(storage_messages::ollamaHostInvalid);
    }
    return result;
}

void ModelSelection::validate() const
{
    if (modelIdentifier.empty() || modelIdentifier.size() > maximumIdentifierBytes ||
        !passesWhitespaceOrControlTest(modelIdentifier)) {
        throw MonitorStoreError::invalidStoredData();
    }
    switch (provider) {
    case Provider::anthropic:
    case Provider::gemini:
        if (!isValidCloudModelIdentifier(modelIdentifier) || ollamaHost) {
            throw MonitorStoreError::invalidStoredData();
        }
        return;
    case Provider::openAI:
        if (ollamaHost) {
            throw MonitorStoreError::invalidStoredData();
        }
        return;
    case Provider::ollama:
        if (!ollamaHost || normalizedOllamaHost(*ollamaHost) != *ollamaHost) {
            throw MonitorStoreError::invalidStoredData();
        }
        return;
    }
}

std::string ModelSelection::displayName() const
{
    std::string result = modelIdentifier + " \u00B7 ";
    if (provider == Provider::ollama) {
        return result + "Ollama \u00B7 " + locationLabel(provider, ollamaHost);
    }
    return result + label(provider);
}

bool operator==(const ModelSelection& a, const ModelSelection& b)
{
    if (a.provider != b.provider || !textEqual(a.modelIdentifier, b.modelIdentifier) ||
        a.ollamaHost.has_value() != b.ollamaHost.has_value()) {
        return false;
    }
    return !a.ollamaHost || textEqual(*a.ollamaHost, *b.ollamaHost);
}

bool isValidCloudModelIdentifier(std::string_view identifier)
{
    if (identifier.empty() || identifier.size() > maximumIdentifierBytes) {
        return false;
    }
    return std::all_of(identifier.begin(), identifier.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
               c == '_';
    });
}

bool modelSelectionsEqual(const std::vector<ModelSelection>& a, const std::vector<ModelSelection>& b)
{
    return listsEqual(a, b, [](const ModelSelection& x, const ModelSelection& y) { return x == y; });
}

} // namespace tavlen

std::size_t std::hash<tavlen::ModelSelection>::operator()(const tavlen::ModelSelection& selection) const noexcept
{
    // Texts hash by their NFC form so that canonically equivalent selections hash alike.
    std::size_t seed = std::hash<std::string_view>{}(tavlen::ModelSelection::storedText(selection.provider));
    const auto combine = [&seed](std::size_t value) {
        seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
    };
    combine(std::hash<std::string>{}(tavlen::normalizedNFC(selection.modelIdentifier)));
    combine(selection.ollamaHost.has_value() ? 1 : 0);
    if (selection.ollamaHost) {
        combine(std::hash<std::string>{}(tavlen::normalizedNFC(*selection.ollamaHost)));
    }
    return seed;
}
