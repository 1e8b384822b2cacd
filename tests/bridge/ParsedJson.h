#pragma once

#include "WireParser.h"

#include <simdjson.h>

#include <optional>
#include <string>
#include <string_view>

namespace tavlen::test {

// A JSON text read by the parser of received frames, kept together with the parser that holds its value.
class ParsedJson
{
public:
    explicit ParsedJson(std::string_view text)
        : m_root(m_parser.parse(BrowserFrame(std::string(text))))
    {}

    bool isValid() const { return m_root.has_value(); }

    const simdjson::dom::element& value() const { return m_root.value(); }

private:
    WireParser m_parser;
    std::optional<simdjson::dom::element> m_root;
};

} // namespace tavlen::test
