#pragma once

#include <QCoroTask>

#include <optional>
#include <string>

namespace tavlen {

// Where the browser client keeps the Chrome profile the user chose. Both operations fail with MonitorStoreError.
class BrowserProfileRepository
{
public:
    virtual ~BrowserProfileRepository() = default;

    // The stored profile id, or nullopt when none was ever chosen.
    virtual QCoro::Task<std::optional<std::string>> selectedProfileID() = 0;

    // Stores the id (never empty) as the chosen profile.
    virtual QCoro::Task<void> setSelectedProfileID(std::string profileID) = 0;
};

} // namespace tavlen
