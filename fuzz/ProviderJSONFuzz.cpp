// The strict JSON of provider answers: only ProviderFailure escapes; an accepted body is JSON to the general
// parser with the same value, and its writing parses back to the same value and is written the same again.
#include "FuzzInput.h"
#include "JsonParse.h"
#include "ProviderFailure.h"
#include "ProviderJSON.h"

using namespace tavlen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view body = fuzz::textOf(data, size);
    std::optional<ProviderJSON> value;
    try {
        value = ProviderJSON::parse(body);
    } catch (const ProviderFailure&) {
        return 0;
    }
    const std::optional<nlohmann::json> general = parseJson(body);
    fuzz::require(general.has_value(), "what the strict parse accepts is JSON");
    fuzz::require(ProviderJSON::fromJson(*general) == *value, "the general parser reads the same value");

    for (const JsonWriteOptions& options : {JsonWriteOptions{}, JsonWriteOptions{.escapeSlashes = false}}) {
        const std::string written = value->encoded(options);
        std::optional<ProviderJSON> back;
        try {
            back = ProviderJSON::parse(written);
        } catch (const ProviderFailure&) {
            fuzz::require(false, "what is written parses strictly");
        }
        fuzz::require(*back == *value, "what is written reads back as the same value");
        fuzz::require(back->encoded(options) == written, "writing is stable");
    }
    return 0;
}
