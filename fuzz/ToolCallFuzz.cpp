// The model's tool call: whatever the tool's name and arguments, only ReadingFailure escapes, and readings come
// back one per requested field, in the fields' order, each of its field's type. Input: the tool's name, a line
// break, then the arguments as the model sent them.
#include "FuzzInput.h"
#include "ProviderFailure.h"
#include "ProviderJSON.h"
#include "ReadingFailure.h"
#include "ReadingToolCall.h"

using namespace tavlen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::vector<ReadingField> fields = {
        {*Uuid::parse("A0000000-0000-4000-8000-00000000000A"), "Price", ReadingFieldType::number, ""},
        {*Uuid::parse("B0000000-0000-4000-8000-00000000000B"), "Title", ReadingFieldType::text, ""},
    };
    const std::string_view input = fuzz::textOf(data, size);
    const std::size_t lineBreak = input.find('\n');
    if (lineBreak == std::string_view::npos) {
        return 0;
    }
    std::optional<ProviderJSON> arguments;
    try {
        arguments = ProviderJSON::parse(input.substr(lineBreak + 1));
    } catch (const ProviderFailure&) {
        return 0;
    }
    std::vector<Reading> readings;
    try {
        readings = decodeToolCall(input.substr(0, lineBreak), *arguments, fields);
    } catch (const ReadingFailure&) {
        return 0;
    }
    fuzz::require(readings.size() == fields.size(), "one reading per field");
    for (std::size_t i = 0; i < fields.size(); ++i) {
        fuzz::require(readings[i].id == fields[i].id, "readings in the fields' order");
        fuzz::require(readings[i].value.isNumber() == (fields[i].type == ReadingFieldType::number),
                      "each reading of its field's type");
    }
    return 0;
}
