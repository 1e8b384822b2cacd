#pragma once

#include <QCoroTask>

#include <optional>
#include <stop_token>
#include <string>

namespace tavlen {

// Where the Chrome profile the user selected is kept. Both operations fail with a MonitorStoreError.
class BrowserProfileRepository
{
public:
    virtual ~BrowserProfileRepository() = default;

    // The selected profile's id as the browser names it; nothing when none was ever selected.
    virtual QCoro::Task<std::optional<std::string>> selectedProfileID(std::stop_token token = {}) = 0;

    // Selects a profile. The id must not be empty (an empty one fails as storage); there is no way to clear it.
    virtual QCoro::Task<void> setSelectedProfileID(std::string profileID, std::stop_token token = {}) = 0;
};

} // namespace tavlen
