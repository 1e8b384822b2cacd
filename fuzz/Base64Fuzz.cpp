// Standard base64: every accepted text is the one encoding of its bytes, and every byte string comes back.
#include "Base64.h"
#include "FuzzInput.h"

using namespace tavlen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input = fuzz::textOf(data, size);

    if (const std::optional<std::string> decoded = base64Decode(input)) {
        fuzz::require(base64Encode(*decoded) == input, "an accepted text is the encoding of what it decodes to");
        fuzz::require(decoded->size() == input.size() / 4 * 3 - (input.ends_with("==") ? 2 : input.ends_with('=')),
                      "three bytes per four characters, less the padding");
    }
    const std::string encoded = base64Encode(input);
    fuzz::require(encoded.size() == (input.size() + 2) / 3 * 4, "four characters per three bytes");
    const std::optional<std::string> back = base64Decode(encoded);
    fuzz::require(back && *back == input, "bytes come back from their encoding");
    return 0;
}
