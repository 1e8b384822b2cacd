#include "ReadFieldEdits.h"

#include <algorithm>

namespace tavlen::ui {

ReadingField currentField(const std::vector<ReadingField>& fields, const ReadingField& fallback)
{
    const auto found =
        std::find_if(fields.begin(), fields.end(), [&](const ReadingField& field) { return field.id == fallback.id; });
    return found == fields.end() ? fallback : *found;
}

std::optional<std::vector<ReadingField>> replacingField(const std::vector<ReadingField>& fields,
                                                        const ReadingField& updated)
{
    std::vector<ReadingField> result = fields;
    const auto found =
        std::find_if(result.begin(), result.end(), [&](const ReadingField& field) { return field.id == updated.id; });
    if (found == result.end()) {
        return std::nullopt;
    }
    *found = updated;
    return result;
}

std::optional<std::vector<ReadingField>> removingField(const std::vector<ReadingField>& fields, const Uuid& id)
{
    if (fields.size() < 2) {
        return std::nullopt;
    }
    std::vector<ReadingField> result = fields;
    std::erase_if(result, [&](const ReadingField& field) { return field.id == id; });
    return result;
}

std::vector<ReadingField> appendingField(std::vector<ReadingField> fields)
{
    fields.push_back(ReadingField::makeEmpty());
    return fields;
}

} // namespace tavlen::ui
