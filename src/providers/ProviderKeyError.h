#pragma once

#include <exception>

namespace tavlen {

// The error of a provider's API key: a key that cannot be saved, a saved key that cannot be used, or a storage
// failure. what() is the sentence shown to the user; the underlying failure is never shown.
class ProviderKeyError : public std::exception
{
public:
    enum class Kind
    {
        empty,
        invalidCharacters,
        invalidStoredData,
        storage,
    };

    explicit ProviderKeyError(Kind kind)
        : m_kind(kind)
    {}

    static ProviderKeyError empty() { return ProviderKeyError(Kind::empty); }

    static ProviderKeyError invalidCharacters() { return ProviderKeyError(Kind::invalidCharacters); }

    static ProviderKeyError invalidStoredData() { return ProviderKeyError(Kind::invalidStoredData); }

    static ProviderKeyError storage() { return ProviderKeyError(Kind::storage); }

    Kind kind() const { return m_kind; }

    const char* what() const noexcept override;

    friend bool operator==(const ProviderKeyError& a, const ProviderKeyError& b) { return a.m_kind == b.m_kind; }

private:
    Kind m_kind;
};

} // namespace tavlen
