#pragma once

#include "BoundedWait.h"
#include "MonitorDatabase.h"
#include "MonitorStoreError.h"
#include "SqliteStatement.h"
#include "StepsDocument.h"
#include "TemporaryDirectory.h"
#include "Uuid.h"
#include "VirtualTime.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace tavlen::test {

// A valid workflow: an Open page step, then one Read step per field list, all read by the given model.
inline StepsDocument sampleDocument(const std::optional<Uuid>& modelID,
                                    const std::vector<std::vector<StepsDocument::Field>>& reads,
                                    std::string url = "https://Example.COM/prices")
{
    const Uuid openPageID = Uuid::random();
    StepsDocument document;
    document.steps.emplace_back(
        openPageID,
        std::nullopt,
        std::nullopt,
        StepsDocument::OpenPage{std::move(url), 1, BrowserCaptureSettings{1280, 900, 2, false}});
    for (const auto& fields : reads) {
        document.steps.emplace_back(
            Uuid::random(), openPageID, BrowserRect{10, 20, 200, 40}, StepsDocument::Read{fields, modelID, 60});
    }
    return document;
}

inline StepsDocument::Field numberField(std::string name, Uuid id = Uuid::random())
{
    return {id, std::move(name), StepsDocument::Field::ValueType::number, ""};
}

inline StepsDocument::Field textField(std::string name, Uuid id = Uuid::random())
{
    return {id, std::move(name), StepsDocument::Field::ValueType::text, ""};
}

// A workspace file of its own in a temporary directory, with helpers to run statements on it directly.
class WorkspaceFixture : public testing::Test
{
protected:
    // The database's tasks are awaited with a generous bound, so a lost wake-up fails instead of hanging.
    template <class T> static T finish(QCoro::Task<T> task)
    {
        return waitBounded(std::move(task), std::chrono::seconds(60));
    }

    // The MonitorStoreError the task failed with; a test failure (and storage) when it succeeded.
    template <class T> static MonitorStoreError storeErrorOf(QCoro::Task<T> task)
    {
        try {
            finish(std::move(task));
        } catch (const MonitorStoreError& error) {
            return error;
        }
        ADD_FAILURE() << "the operation succeeded";
        return MonitorStoreError::storage();
    }

    // Runs a script in one write transaction of the workspace.
    void execute(std::string sql)
    {
        finish(m_database.write([sql = std::move(sql)](SqliteConnection& c) { c.execute(sql); }));
    }

    // The first column of the first row of a query, as text ("NULL" for NULL, numbers in decimal).
    std::string queryText(std::string sql)
    {
        return finish(m_database.read([sql = std::move(sql)](SqliteConnection& c) -> std::string {
            SqliteStatement statement(c, sql);
            if (!statement.step() || statement.isNull(0)) {
                return "NULL";
            }
            return reinterpret_cast<const char*>(sqlite3_column_text(statement.handle(), 0));
        }));
    }

    std::int64_t count(const std::string& table) { return std::stoll(queryText("SELECT count(*) FROM " + table)); }

    // Inserts a monitor row with the default schedule.
    Uuid insertMonitor(const std::string& name = "Prices", std::int64_t createdAt = 1000, Uuid id = Uuid::random())
    {
        execute("INSERT INTO monitors (id, name, version, created_at_ms) VALUES ('" + id.lowercaseString() + "', '" +
                name + "', 1, " + std::to_string(createdAt) + ")");
        return id;
    }

    // Inserts a configured OpenAI model.
    Uuid insertModel(const std::string& identifier = "gpt-4o")
    {
        const Uuid id = Uuid::random();
        execute("INSERT INTO configured_models (id, provider, model_identifier) VALUES ('" + id.lowercaseString() +
                "', 'openAI', '" + identifier + "')");
        return id;
    }

    TemporaryDirectory m_directory;
    MonitorDatabase m_database{m_directory / "Tavlen.sqlite"};
    VirtualTime m_clock; // the date that stored records get, as the test sets it
};

} // namespace tavlen::test
