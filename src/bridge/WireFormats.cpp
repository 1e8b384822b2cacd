#include "WireFormats.h"

#include "Iso8601.h"
#include "Regex.h"
#include "TextScan.h"
#include "Url.h"
#include "Utf8.h"

#include <unicode/uchar.h>

#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace tavlen::wire_format {

namespace {

constexpr std::size_t maximumURLUnits = 8192;
constexpr std::size_t maximumCachedPatterns = 64;

bool equalsIgnoringASCIICase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

constexpr std::array<signed char, 256> sextets = [] {
    std::array<signed char, 256> table{};
    table.fill(-1);
    constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (std::size_t i = 0; i < alphabet.size(); ++i) {
        table[static_cast<unsigned char>(alphabet[i])] = static_cast<signed char>(i);
    }
    return table;
}();

int sextet(char c)
{
    return sextets[static_cast<unsigned char>(c)];
}

} // namespace

bool patternFound(std::string_view pattern, std::string_view text)
{
    static std::mutex mutex;
    static std::map<std::string, std::optional<Regex>, std::less<>> cache;
    std::optional<Regex> regex;
    {
        std::lock_guard lock(mutex);
        if (const auto it = cache.find(pattern); it != cache.end()) {
            regex = it->second;
        }
    }
    if (!regex) {
        regex = Regex::compile(pattern);
        if (!regex) {
            return false;
        }
        std::lock_guard lock(mutex);
        if (cache.size() < maximumCachedPatterns) {
            cache.emplace(std::string(pattern), regex);
        }
    }
    return regex->search(text);
}

bool isHttpURL(std::string_view text)
{
    if (!isValidUTF8(text) || text.find('\\') != std::string_view::npos) {
        return false;
    }
    std::size_t units = 0;
    for (const char32_t c : decodeUTF8(text)) {
        units += c > 0xFFFF ? 2 : 1;
        if (u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_WHITE_SPACE)) {
            return false;
        }
    }
    if (units > maximumURLUnits) {
        return false;
    }
    const auto url = parseURLComponents(text);
    if (!url || !(equalsIgnoringASCIICase(url->scheme, "http") || equalsIgnoringASCIICase(url->scheme, "https"))) {
        return false;
    }
    return url->host && !url->host->empty() && !url->user && !url->password;
}

bool isBase64(std::string_view text)
{
    // The rules of base64Decode, checked in place: a screenshot's text runs to tens of megabytes.
    if (text.size() % 4 != 0) {
        return false;
    }
    if (text.empty()) {
        return true;
    }
    const std::size_t padding = text.back() != '=' ? 0 : text[text.size() - 2] == '=' ? 2 : 1;
    const std::size_t dataLength = text.size() - padding;
    if (!isBase64Alphabet(text.substr(0, dataLength))) {
        return false;
    }
    // The bits that padding leaves over must be zero, so every byte string has exactly one text.
    const int last = sextet(text[dataLength - 1]);
    return padding == 0 || (last & (padding == 1 ? 0x03 : 0x0F)) == 0;
}

bool isDateTime(std::string_view text)
{
    // The fixed form "^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}Z$", then a real date.
    constexpr std::string_view shape = "dddd-dd-ddTdd:dd:dd.dddZ";
    if (text.size() != shape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const bool fits = shape[i] == 'd' ? (text[i] >= '0' && text[i] <= '9') : text[i] == shape[i];
        if (!fits) {
            return false;
        }
    }
    return parseISO8601DateTime(text).has_value();
}

bool formatAccepts(std::string_view format, std::string_view text)
{
    if (format == "http-url") {
        return isHttpURL(text);
    }
    if (format == "base64") {
        return isBase64(text);
    }
    if (format == "date-time") {
        return isDateTime(text);
    }
    return true;
}

} // namespace tavlen::wire_format
