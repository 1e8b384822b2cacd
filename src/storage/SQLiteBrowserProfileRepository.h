#pragma once

#include "BrowserProfileRepository.h"

namespace tavlen {

class MonitorDatabase;

// The selected Chrome profile in app_settings.selected_browser_profile_id of the workspace file.
class SQLiteBrowserProfileRepository final : public BrowserProfileRepository
{
public:
    explicit SQLiteBrowserProfileRepository(MonitorDatabase& database)
        : m_database(database)
    {}

    QCoro::Task<std::optional<std::string>> selectedProfileID() override;
    QCoro::Task<void> setSelectedProfileID(std::string profileID) override;

private:
    MonitorDatabase& m_database;
};

} // namespace tavlen
