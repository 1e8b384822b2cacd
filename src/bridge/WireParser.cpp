#include "WireParser.h"

#include <simdjson.h>

#include <charconv>
#include <cstdlib>
#include <string>
#include <string_view>

namespace tavlen {

namespace {

static_assert(BrowserFrame::padding >= simdjson::SIMDJSON_PADDING);

// The depth parseJson allows: deeper than any message the schema describes, shallow enough for hostile input.
constexpr std::size_t maximumDepth = 64;
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Whether the digits of an integer (no sign, no leading zero) lie beyond what 64 bits hold: above 2^64 - 1, or,
// negative, below -2^63. simdjson refuses those; the stored-document reader reads them as doubles.
bool beyond64Bits(std::string_view digits, bool negative)
{
    const std::string_view limit = negative ? "9223372036854775808" : "18446744073709551615";
    return digits.size() > limit.size() || (digits.size() == limit.size() && digits > limit);
}

// The double nearest to an integer literal, written in at most `room` bytes as digits and an exponent
// ("18446744073709552e3"), which simdjson reads as that same double. Empty when it does not fit.
std::string shortExponentForm(std::string_view literal, std::size_t room)
{
    const double value = std::strtod(std::string(literal).c_str(), nullptr); // correctly rounded, like the reader
    char scientific[64];
    const auto written =
        std::to_chars(scientific, scientific + sizeof scientific, value, std::chars_format::scientific);
    const std::string_view text(scientific, static_cast<std::size_t>(written.ptr - scientific));
    // "-d.ddde+XX": the significant digits without the point, and the exponent moved past them.
    const std::size_t e = text.find('e');
    std::string digits;
    for (const char c : text.substr(0, e)) {
        if (isDigit(c)) {
            digits += c;
        }
    }
    const long exponent = std::strtol(std::string(text.substr(e + 1)).c_str(), nullptr, 10);
    std::string form = (value < 0 ? "-" : "") + digits + "e" + std::to_string(exponent - long(digits.size()) + 1);
    return form.size() <= room ? form : std::string();
}

// A copy of the text in which every integer literal beyond 64 bits is replaced by an exponent form of the same
// double, padded with spaces to the literal's length, or nullopt when there is none. Strings are left alone.
std::optional<std::string> withWideIntegersAsDoubles(std::string_view text)
{
    std::optional<std::string> copy;
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
        if (c == '"') {
            inString = true;
            continue;
        }
        if (c != '-' && !isDigit(c)) {
            continue;
        }
        // A number token: -?digits, then maybe a fraction or an exponent.
        const std::size_t start = i;
        const bool negative = c == '-';
        std::size_t end = negative ? i + 1 : i;
        while (end < text.size() && isDigit(text[end])) {
            ++end;
        }
        const std::string_view digits = text.substr(negative ? start + 1 : start, end - (negative ? start + 1 : start));
        const bool isInteger = end >= text.size() || (text[end] != '.' && text[end] != 'e' && text[end] != 'E');
        std::size_t tokenEnd = end;
        while (tokenEnd < text.size() &&
               (isDigit(text[tokenEnd]) || std::string_view(".eE+-").find(text[tokenEnd]) != std::string_view::npos)) {
            ++tokenEnd;
        }
        const bool wellFormed = !digits.empty() && (digits[0] != '0' || digits.size() == 1);
        if (isInteger && wellFormed && beyond64Bits(digits, negative)) {
            const std::string_view literal = text.substr(start, end - start);
            const std::string form = shortExponentForm(literal, literal.size());
            if (!form.empty()) {
                if (!copy) {
                    copy.emplace(text);
                }
                copy->replace(start, literal.size(), form + std::string(literal.size() - form.size(), ' '));
            }
        }
        i = tokenEnd - 1;
    }
    return copy;
}

} // namespace

WireParser::WireParser()
    : m_parser(std::make_unique<simdjson::dom::parser>())
{
    // Fixes the depth bound; the capacity grows with the first frame that needs it.
    if (m_parser->allocate(simdjson::dom::MINIMAL_DOCUMENT_CAPACITY, maximumDepth) != simdjson::SUCCESS) {
        throw std::bad_alloc();
    }
}

WireParser::~WireParser() = default;

std::optional<simdjson::dom::element> WireParser::parse(const BrowserFrame& frame)
{
    std::string_view text = frame.bytes();
    if (text.starts_with(byteOrderMark)) {
        text.remove_prefix(byteOrderMark.size());
    }
    const auto parseText = [this](std::string_view bytes, bool padded) {
        // Parsing in place needs the padding behind the text; a frame built in memory is copied once.
        if (padded) {
            return m_parser->parse(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), false);
        }
        return m_parser->parse(bytes.data(), bytes.size(), true);
    };
    simdjson::dom::element root;
    auto error = parseText(text, frame.isPadded()).get(root);
    if (error == simdjson::NUMBER_ERROR) {
        // Rare: an integer beyond 64 bits, which simdjson refuses and the stored-document reader reads as a double.
        if (const auto rewritten = withWideIntegersAsDoubles(text)) {
            error = parseText(*rewritten, false).get(root);
        }
    }
    if (error != simdjson::SUCCESS) {
        return std::nullopt;
    }
    return root;
}

} // namespace tavlen
