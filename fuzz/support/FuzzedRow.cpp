#include "FuzzedRow.h"

#include "JsonParse.h"

#include <nlohmann/json.hpp>

namespace tavlen::fuzz {

std::optional<FuzzedRow> FuzzedRow::make(std::string_view input,
                                         const std::vector<std::string>& names,
                                         const std::vector<std::string>& extraColumns)
{
    const std::optional<nlohmann::json> values = parseJson(input);
    if (!values || !values->is_array()) {
        return std::nullopt;
    }
    std::string inner = "SELECT ";
    for (std::size_t i = 0; i < names.size(); ++i) {
        inner += (i == 0 ? "? AS " : ", ? AS ") + names[i];
    }
    std::string sql = "SELECT *";
    for (const std::string& extra : extraColumns) {
        sql += ", " + extra;
    }
    sql += " FROM (" + inner + ")";

    FuzzedRow made;
    made.m_connection = std::make_unique<SqliteConnection>(":memory:", SqliteConfiguration{});
    made.m_statement = std::make_unique<SqliteStatement>(*made.m_connection, sql);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        const nlohmann::json value = i < values->size() ? (*values)[i] : nlohmann::json();
        if (value.is_string()) {
            made.m_statement->bind(index, value.get_ref<const std::string&>());
        } else if (value.is_number_integer()) {
            made.m_statement->bind(index, value.get<std::int64_t>());
        } else if (value.is_number()) {
            made.m_statement->bind(index, value.get<double>());
        } else if (value.is_object() && value.contains("blob") && value["blob"].is_string()) {
            made.m_statement->bindBlob(index, value["blob"].get_ref<const std::string&>());
        } else {
            made.m_statement->bind(index, nullptr);
        }
    }
    if (!made.m_statement->step()) {
        return std::nullopt;
    }
    return made;
}

} // namespace tavlen::fuzz
