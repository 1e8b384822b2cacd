#include "JsonParse.h"

#include <exception>

namespace tavlen {
namespace {

// Deepest nesting of arrays and objects outside strings, stopping early once it passes the limit.
// Brackets are only counted, not matched: mismatches are left to the parser.
bool nestingWithin(std::string_view text, int maxDepth)
{
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
            continue;
        }
        switch (c) {
        case '"':
            inString = true;
            break;
        case '[':
        case '{':
            if (++depth > maxDepth) {
                return false;
            }
            break;
        case ']':
        case '}':
            --depth;
            break;
        default:
            break;
        }
    }
    return true;
}

} // namespace

std::optional<nlohmann::json> parseJson(std::string_view text, int maxDepth)
{
    // No JSON text holds a NUL byte (not even inside a string, where it must be escaped), and the parser takes
    // one for the end of the input: "{}\0anything" would read as {}.
    if (!nestingWithin(text, maxDepth) || text.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    try {
        auto value = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false, /*ignore_comments=*/false);
        if (value.is_discarded()) {
            return std::nullopt;
        }
        return value;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace tavlen
