#include "MonitorSidebarSummary.h"

#include "MonitorStoreError.h"
#include "PageURL.h"
#include "SQLiteStepsRepository.h"
#include "SqliteStatement.h"
#include "StepsDocument.h"
#include "Url.h"
#include "Utf8.h"

#include <algorithm>

namespace tavlen {

namespace {

constexpr const char* summaryRows = "SELECT m.id, s.workflow_json, s.format_version, r.id AS check_id, r.error_code,\n"
                                    "       r.completed_at_ms\n"
                                    "FROM monitors m\n"
                                    "LEFT JOIN monitor_steps s ON s.monitor_id = m.id\n"
                                    "LEFT JOIN monitor_checks r ON r.id = (\n"
                                    "    SELECT id FROM monitor_checks WHERE monitor_id = m.id\n"
                                    "    ORDER BY started_at_ms DESC, id DESC LIMIT 1\n"
                                    ")";

// The lower-case host of the page the saved workflow opens first.
std::string domainOf(const std::string& workflowJson, std::int64_t formatVersion)
{
    const StepsDocument document = StepsDocument::decodeStored(workflowJson, formatVersion);
    const auto* openPage =
        document.steps.empty() ? nullptr : std::get_if<StepsDocument::OpenPage>(&document.steps.front().content);
    const std::optional<std::string> url = openPage ? pageURL(openPage->url) : std::nullopt;
    const std::optional<UrlComponents> components = url ? parseURLComponents(*url) : std::nullopt;
    if (!components || !components->host || components->host->empty()) {
        throw MonitorStoreError::invalidStoredData();
    }
    std::string host = *components->host;
    std::transform(host.begin(), host.end(), host.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return host;
}

} // namespace

bool operator==(const MonitorSidebarSummary& a, const MonitorSidebarSummary& b)
{
    return a.domain.has_value() == b.domain.has_value() && (!a.domain || textEqual(*a.domain, *b.domain)) &&
           a.outcome == b.outcome && a.modelsAvailable == b.modelsAvailable &&
           a.completedAtMilliseconds == b.completedAtMilliseconds;
}

std::unordered_map<Uuid, MonitorSidebarSummary> readSidebarSummaries(SqliteConnection& connection)
{
    SqliteStatement statement(connection, summaryRows);
    std::unordered_map<Uuid, MonitorSidebarSummary> summaries;
    while (statement.step()) {
        const std::optional<Uuid> id = Uuid::parse(statement.columnText(0));
        if (!id) {
            throw MonitorStoreError::invalidStoredData();
        }
        MonitorSidebarSummary summary;
        if (const std::optional<std::string> workflow = statement.columnOptionalText(1)) {
            summary.domain = domainOf(*workflow, statement.columnInt64(2));
        }
        if (!statement.isNull(3)) {
            const std::optional<std::string> code = statement.columnOptionalText(4);
            summary.outcome = outcomeOfCode(code ? std::optional<std::string_view>(*code) : std::nullopt);
            summary.completedAtMilliseconds = statement.columnInt64(5);
        }
        summary.modelsAvailable = SQLiteStepsRepository::stepsModelsAvailable(connection, *id);
        summaries.insert_or_assign(*id, std::move(summary));
    }
    return summaries;
}

} // namespace tavlen
