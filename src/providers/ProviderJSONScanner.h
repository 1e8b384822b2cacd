#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tavlen {

// The structural pre-scan of a provider response body, one pass over its bytes before any tree is built: it
// refuses nesting deeper than ProviderJSON::maximumDepth, a key repeated in one object, a missing separator,
// an empty scalar and anything after the value. Scalars are only delimited here; the decoder judges them.
class ProviderJSONScanner
{
public:
    explicit ProviderJSONScanner(std::string_view body)
        : m_body(body)
    {}

    // True when the whole body is one well-delimited value with nothing but whitespace around it.
    bool scanDocument();

private:
    bool scanValue(int depth);
    bool scanArray(int depth);
    bool scanObject(int depth);
    bool scanScalar();
    // The string at the cursor, decoded when decode is true (an empty text otherwise); nothing when the
    // string is not closed or does not decode.
    std::optional<std::string> scanString(bool decode);
    bool expect(char byte);
    void skipWhitespace();

    bool atEnd() const { return m_position >= m_body.size(); }

    std::string_view m_body;
    std::size_t m_position = 0;
};

} // namespace tavlen
