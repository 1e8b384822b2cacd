// JSON reading and writing: what parseJson accepts the writer can write, the writing reads back as the same value
// and writes again the same bytes, and nlohmann's own parser agrees on what is JSON.
#include "FuzzInput.h"
#include "JsonParse.h"
#include "JsonWriter.h"

#include <nlohmann/json.hpp>

#include <algorithm>

using namespace tavlen;

namespace {

int depthOf(const nlohmann::json& value)
{
    int deepest = 0;
    if (value.is_structured()) {
        for (const auto& item : value) {
            deepest = std::max(deepest, depthOf(item));
        }
        return deepest + 1;
    }
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input = fuzz::textOf(data, size);
    const std::optional<nlohmann::json> parsed = parseJson(input);

    // No JSON text holds a raw NUL byte; the reference parser would take one for the end of the text.
    if (input.find('\0') != std::string_view::npos) {
        fuzz::require(!parsed, "a text with a NUL byte is refused");
        return 0;
    }
    // The reference: nlohmann's strict parse without exceptions, where the nesting allows it to run safely.
    if (size < 4096) {
        const nlohmann::json reference = nlohmann::json::parse(input, nullptr, false);
        if (parsed) {
            fuzz::require(!reference.is_discarded(), "what parseJson accepts is JSON to the reference");
            fuzz::require(reference == *parsed, "both parsers read the same value");
        } else if (!reference.is_discarded()) {
            fuzz::require(depthOf(reference) > 64, "parseJson refuses only what the reference refuses or is too deep");
        }
    }

    if (!parsed) {
        return 0;
    }
    for (const JsonWriteOptions& options :
         {JsonWriteOptions{}, JsonWriteOptions{.escapeSlashes = false, .pretty = true}}) {
        const std::string written = writeJson(*parsed, options);
        const std::optional<nlohmann::json> back = parseJson(written);
        fuzz::require(back.has_value(), "what is written reads back");
        fuzz::require(writeJson(*back, options) == written, "writing what was read back gives the same bytes");
        if (!options.pretty) {
            fuzz::require(written.find('\n') == std::string::npos, "compact writing has no line break");
        }
    }
    // The computed lengths agree with what is written.
    if (parsed->is_string()) {
        const auto& text = parsed->get_ref<const std::string&>();
        fuzz::require(writtenJsonLength(text) == writeJson(*parsed).size(), "the length of a text as written");
    } else if (parsed->is_number_integer() &&
               (!parsed->is_number_unsigned() || parsed->get<std::uint64_t>() <= std::uint64_t{INT64_MAX})) {
        fuzz::require(writtenJsonLength(parsed->get<std::int64_t>()) == writeJson(*parsed).size(),
                      "the length of an integer as written");
    } else if (parsed->is_number_float()) {
        fuzz::require(writtenJsonLength(parsed->get<double>()) == writeJson(*parsed).size(),
                      "the length of a double as written");
    }
    return 0;
}
