#include "ChartFieldReader.h"

#include "ChartSnapshotStatements.h"
#include "CheckRowDecoders.h"
#include "MonitorStoreError.h"
#include "SqliteStatement.h"
#include "StepsDocument.h"
#include "UserCollator.h"
#include "Utf8.h"

#include <unicode/coll.h>

#include <algorithm>
#include <memory>
#include <unordered_set>

namespace tavlen {

namespace {

bool isBlank(std::string_view text)
{
    return trimWhitespaceAndNewlines(text).empty();
}

std::vector<ChartField> workflowFields(SqliteConnection& connection, const Uuid& monitorID)
{
    SqliteStatement statement(connection, chart_statements::savedWorkflow);
    statement.bind(1, monitorID.lowercaseString());
    std::vector<ChartField> fields;
    if (!statement.step()) {
        return fields;
    }
    const StepsDocument document = StepsDocument::decodeStored(statement.columnText(0), statement.columnInt64(1));
    std::unordered_set<Uuid> seen;
    for (const StepsDocument::Entry& entry : document.steps) {
        const auto* read = std::get_if<StepsDocument::Read>(&entry.content);
        if (read == nullptr) {
            continue;
        }
        for (const StepsDocument::Field& field : read->fields) {
            if (!seen.insert(field.id).second || isBlank(field.name)) {
                throw MonitorStoreError::invalidStoredData();
            }
            const auto type = field.type == StepsDocument::Field::ValueType::number ? ReadingFieldType::number
                                                                                    : ReadingFieldType::text;
            fields.push_back(ChartField{field.id, field.name, type, false});
        }
    }
    return fields;
}

// Orders names as the user's locale does, ignoring case but not accents.
class NameOrder
{
public:
    NameOrder()
        : m_collator(makeUserCollator())
    {
        if (m_collator) {
            m_collator->setStrength(icu::Collator::SECONDARY);
        }
    }

    // Negative, zero or positive; byte order of the names when no collator could be made.
    int compare(std::string_view a, std::string_view b) const { return collateUTF8(m_collator.get(), a, b); }

private:
    std::unique_ptr<icu::Collator> m_collator;
};

void sortByName(std::vector<ChartField>& fields)
{
    const NameOrder order;
    std::stable_sort(fields.begin(), fields.end(), [&order](const ChartField& a, const ChartField& b) {
        const int byName = order.compare(a.name, b.name);
        return byName != 0 ? byName < 0 : a.id.lowercaseString() < b.id.lowercaseString();
    });
}

} // namespace

std::vector<ChartField> readChartFields(SqliteConnection& connection, const Uuid& monitorID)
{
    std::vector<ChartField> fields = workflowFields(connection, monitorID);
    std::unordered_set<Uuid> current;
    for (const ChartField& field : fields) {
        current.insert(field.id);
    }
    SqliteStatement statement(connection, chart_statements::latestStoredFields);
    statement.bind(1, monitorID.lowercaseString());
    std::vector<ChartField> formerFields;
    while (statement.step()) {
        const std::optional<Uuid> id = Uuid::parse(statement.columnTextView(0));
        std::optional<std::string> name = decodeUTF8Column(statement, "field_name_bytes");
        const std::string type = statement.columnText(2);
        if (!id || !name || isBlank(*name) || (type != "number" && type != "text")) {
            throw MonitorStoreError::invalidStoredData();
        }
        if (!current.contains(*id)) {
            const auto fieldType = type == "number" ? ReadingFieldType::number : ReadingFieldType::text;
            formerFields.push_back(ChartField{*id, std::move(*name), fieldType, true});
        }
    }
    sortByName(formerFields);
    fields.insert(fields.end(), formerFields.begin(), formerFields.end());
    return fields;
}

} // namespace tavlen
