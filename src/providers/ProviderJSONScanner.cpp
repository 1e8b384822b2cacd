#include "ProviderJSONScanner.h"

#include "ProviderJSON.h"
#include "Utf8.h"

#include <nlohmann/json.hpp>

#include <unordered_set>

namespace tavlen {
namespace {

// Exactly the four bytes JSON allows between tokens.
bool isJSONWhitespace(char byte)
{
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r';
}

bool endsScalar(char byte)
{
    return isJSONWhitespace(byte) || byte == ',' || byte == ']' || byte == '}';
}

} // namespace

bool ProviderJSONScanner::scanDocument()
{
    m_position = 0;
    if (!scanValue(0)) {
        return false;
    }
    skipWhitespace();
    return atEnd();
}

bool ProviderJSONScanner::scanValue(int depth)
{
    skipWhitespace();
    if (depth > ProviderJSON::maximumDepth || atEnd()) {
        return false;
    }
    switch (m_body[m_position]) {
    case '"':
        return scanString(false).has_value();
    case '[':
        return scanArray(depth);
    case '{':
        return scanObject(depth);
    default:
        return scanScalar();
    }
}

bool ProviderJSONScanner::scanArray(int depth)
{
    ++m_position;
    skipWhitespace();
    if (!atEnd() && m_body[m_position] == ']') {
        ++m_position;
        return true;
    }
    while (true) {
        if (!scanValue(depth + 1)) {
            return false;
        }
        skipWhitespace();
        if (atEnd()) {
            return false;
        }
        const char next = m_body[m_position++];
        if (next == ']') {
            return true;
        }
        if (next != ',') {
            return false;
        }
    }
}

bool ProviderJSONScanner::scanObject(int depth)
{
    ++m_position;
    skipWhitespace();
    if (!atEnd() && m_body[m_position] == '}') {
        ++m_position;
        return true;
    }
    std::unordered_set<std::string> seenKeys;
    while (true) {
        // Keys are told apart as Unicode text: a key and its canonically equivalent spelling are one key.
        std::optional<std::string> key = scanString(true);
        if (!key || !seenKeys.insert(normalizedNFC(*key)).second) {
            return false;
        }
        if (!expect(':') || !scanValue(depth + 1)) {
            return false;
        }
        skipWhitespace();
        if (atEnd()) {
            return false;
        }
        const char next = m_body[m_position++];
        if (next == '}') {
            return true;
        }
        if (next != ',') {
            return false;
        }
    }
}

bool ProviderJSONScanner::scanScalar()
{
    const std::size_t start = m_position;
    while (!atEnd() && !endsScalar(m_body[m_position])) {
        ++m_position;
    }
    return m_position > start;
}

std::optional<std::string> ProviderJSONScanner::scanString(bool decode)
{
    skipWhitespace();
    if (atEnd() || m_body[m_position] != '"') {
        return std::nullopt;
    }
    const std::size_t open = m_position++;
    bool escaped = false;
    while (!atEnd() && m_body[m_position] != '"') {
        if (m_body[m_position] == '\\') {
            escaped = true;
            ++m_position;
        }
        ++m_position;
    }
    if (atEnd()) {
        return std::nullopt;
    }
    const std::size_t close = m_position++;
    if (!decode) {
        // A value string is judged whole by the decoder afterwards, with the same outcome for the body.
        return std::string();
    }
    if (!escaped) {
        return std::string(m_body.substr(open + 1, close - open - 1));
    }
    const nlohmann::json text = nlohmann::json::parse(m_body.substr(open, close - open + 1), nullptr, false);
    if (!text.is_string()) {
        return std::nullopt;
    }
    return text.get<std::string>();
}

bool ProviderJSONScanner::expect(char byte)
{
    skipWhitespace();
    if (atEnd() || m_body[m_position] != byte) {
        return false;
    }
    ++m_position;
    return true;
}

void ProviderJSONScanner::skipWhitespace()
{
    while (!atEnd() && isJSONWhitespace(m_body[m_position])) {
        ++m_position;
    }
}

} // namespace tavlen
