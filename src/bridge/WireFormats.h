#pragma once

#include <string_view>

namespace tavlen::wire_format {

// True when the ICU expression is found somewhere in the text (no anchors added). An invalid expression
// finds nothing. Compiled expressions are kept for the life of the process, so the few patterns of the
// schema are compiled once however often a validator is rebuilt.
bool patternFound(std::string_view pattern, std::string_view text);

// The string formats of the schema: "http-url", "base64", "date-time". An unknown format name accepts.
bool formatAccepts(std::string_view format, std::string_view text);

// An http or https address of at most 8192 UTF-16 code units with a host, no user or password, no backslash
// and no white space.
bool isHttpURL(std::string_view text);
// Standard padded base64 with a length that is a multiple of 4.
bool isBase64(std::string_view text);
// "YYYY-MM-DDTHH:MM:SS.mmmZ" naming a real date and time.
bool isDateTime(std::string_view text);

} // namespace tavlen::wire_format
