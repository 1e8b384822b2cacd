#pragma once

#include <QCoroTask>

#include <optional>
#include <string>

namespace tavlen {

// One cloud provider's API key, wherever it is kept. Failures are ProviderKeyError.
class ProviderKeyStore
{
public:
    virtual ~ProviderKeyStore() = default;

    // Whether a key is saved, usable or not.
    virtual QCoro::Task<bool> hasKey() = 0;
    // The saved key; nothing when none is saved. Throws invalidStoredData for a saved value that breaks the key
    // rule, storage when it cannot be read.
    virtual QCoro::Task<std::optional<std::string>> apiKey() = 0;
    // Saves the key after the key rule (empty, invalidCharacters), replacing any saved one; storage on failure.
    virtual QCoro::Task<void> save(std::string key) = 0;
    // Removes the saved key; removing none is no error. storage on failure.
    virtual QCoro::Task<void> deleteKey() = 0;
};

} // namespace tavlen
