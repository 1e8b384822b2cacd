#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavlen {

// What identifies the AI model of a Read step: the provider, the provider's model identifier and, for Ollama,
// the normalised server address.
struct ModelSelection
{
    enum class Provider
    {
        openAI,
        anthropic,
        gemini,
        ollama,
    };

    Provider provider = Provider::openAI;
    std::string modelIdentifier;
    std::optional<std::string> ollamaHost; // present exactly for Ollama in a valid selection

    // Every provider, in declaration order.
    static const std::array<Provider, 4>& allProviders();

    // "openAI", "anthropic", "gemini", "ollama": the text stored in tables and usage JSON.
    static const char* storedText(Provider provider);

    // The provider for exactly one of the stored texts (case-sensitive); nothing otherwise.
    static std::optional<Provider> providerFromStoredText(std::string_view text);

    // "OpenAI", "Anthropic", "Gemini", "Ollama".
    static const char* label(Provider provider);

    // The cloud providers' labels; for Ollama the host, or the default local server address without one.
    static std::string locationLabel(Provider provider, const std::optional<std::string>& host);

    // The canonical form of a typed Ollama server address: lower-case http(s) scheme and host, the port (11434
    // when neither scheme nor port was typed; none for a scheme's default port), no path or trailing slash.
    // Throws MonitorStoreError::validation with a sentence for the user when the text is not a server address.
    static std::string normalizedOllamaHost(std::string_view typed);

    // Throws MonitorStoreError::invalidStoredData for a broken identity, or the host's validation error for an
    // Ollama host that does not normalise. A valid Ollama host equals its normalised form.
    void validate() const;

    // "<identifier> · <label>", where Ollama's label is "Ollama · <location>".
    std::string displayName() const;

    // Provider, identifier and host; texts by canonical equivalence.
    friend bool operator==(const ModelSelection& a, const ModelSelection& b);
};

// True for a non-empty identifier of at most 256 bytes made only of ASCII letters, digits, "-", "." and "_".
bool isValidCloudModelIdentifier(std::string_view identifier);

// Element-wise equality of two selection lists (length first, then pairwise, first difference stops).
bool modelSelectionsEqual(const std::vector<ModelSelection>& a, const std::vector<ModelSelection>& b);

} // namespace tavlen

template <> struct std::hash<tavlen::ModelSelection>
{
    std::size_t operator()(const tavlen::ModelSelection& selection) const noexcept;
};
