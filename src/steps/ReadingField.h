#pragma once

#include "Uuid.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavlen {

// The declared type of a field a Read step asks for.
enum class ReadingFieldType
{
    text,
    number,
};

inline constexpr std::array<ReadingFieldType, 2> allReadingFieldTypes{ReadingFieldType::text, ReadingFieldType::number};

// "Text" or "Number": the display text, which is also the raw value.
std::string_view displayText(ReadingFieldType type);
// The type whose display text this is; any other text gives nullopt.
std::optional<ReadingFieldType> readingFieldTypeFromText(std::string_view text);

// One value that a Read step asks a model for. The id lives as long as the field and is also the id of every
// reading taken for it.
struct ReadingField
{
    Uuid id;
    std::string name;
    ReadingFieldType type = ReadingFieldType::text;
    std::string instruction;

    // A fresh id, empty name and instruction, type text: what a new Read step starts with.
    static ReadingField makeEmpty();

    // Names and instructions compare by canonical equivalence.
    friend bool operator==(const ReadingField& a, const ReadingField& b);
};

bool readingFieldsEqual(const std::vector<ReadingField>& a, const std::vector<ReadingField>& b);

} // namespace tavlen
