#include "ReadingField.h"

#include "ListEquality.h"
#include "Utf8.h"

namespace tavlen {

std::string_view displayText(ReadingFieldType type)
{
    switch (type) {
    case ReadingFieldType::text:
        return "Text";
    case ReadingFieldType::number:
        return "Number";
    }
    return "Text";
}

std::optional<ReadingFieldType> readingFieldTypeFromText(std::string_view text)
{
    for (ReadingFieldType type : allReadingFieldTypes) {
        if (displayText(type) == text) {
            return type;
        }
    }
    return std::nullopt;
}

ReadingField ReadingField::makeEmpty()
{
    return ReadingField{Uuid::random(), {}, ReadingFieldType::text, {}};
}

bool operator==(const ReadingField& a, const ReadingField& b)
{
    return a.id == b.id && textEqual(a.name, b.name) && a.type == b.type && textEqual(a.instruction, b.instruction);
}

bool readingFieldsEqual(const std::vector<ReadingField>& a, const std::vector<ReadingField>& b)
{
    return listsEqual(a, b, [](const ReadingField& x, const ReadingField& y) { return x == y; });
}

} // namespace tavlen
