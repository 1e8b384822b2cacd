#pragma once

#include "BrowserProfileRepository.h"
#include "MonitorStoreError.h"

#include <optional>
#include <string>

namespace tavlen::test {

// Keeps the chosen Chrome profile in memory; either operation can be made to fail with a storage error.
class InMemoryBrowserProfileRepository final : public BrowserProfileRepository
{
public:
    explicit InMemoryBrowserProfileRepository(std::optional<std::string> stored = std::nullopt)
        : stored(std::move(stored))
    {}

    QCoro::Task<std::optional<std::string>> selectedProfileID() override;
    QCoro::Task<void> setSelectedProfileID(std::string profileID) override;

    std::optional<std::string> stored;
    std::optional<MonitorStoreError> readFailure;
    std::optional<MonitorStoreError> writeFailure;
};

} // namespace tavlen::test
