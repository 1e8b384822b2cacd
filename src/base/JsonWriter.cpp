#include "JsonWriter.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <system_error>

namespace tavlen {
namespace {

// Integral doubles below this magnitude are written digit for digit (as they always have been stored); from it on
// they take the shortest round-trip form like every other double (1e16 gives "1e+16").
constexpr double kPlainIntegralLimit = 1e16;

constexpr char kHexDigits[] = "0123456789abcdef";

// Length of the UTF-8 sequence starting at text[i], or 0 when it is not a well-formed scalar.
std::size_t validSequenceLength(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) {
            low = 0xA0;
        } else if (lead == 0xED) {
            high = 0x9F; // no UTF-16 surrogates
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) {
            low = 0x90;
        } else if (lead == 0xF4) {
            high = 0x8F;
        }
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    if (byte(i + 1) < low || byte(i + 1) > high) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

// The writer's form of a double, into buffer; gives the end of what it wrote.
char* formatDouble(double number, char (&buffer)[64])
{
    if (!std::isfinite(number)) {
        throw std::invalid_argument("JSON cannot hold a NaN or infinite number");
    }
    // Negative zero is written as "0": "-0" would read back as the integer 0 and be written as "0" the next
    // time, so writing would not be idempotent.
    if (number == 0) {
        number = 0;
    }
    std::to_chars_result result;
    if (std::trunc(number) == number && std::fabs(number) < kPlainIntegralLimit) {
        result = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed);
    } else {
        result = std::to_chars(buffer, buffer + sizeof buffer, number);
    }
    if (result.ec != std::errc()) {
        throw std::invalid_argument("number could not be formatted");
    }
    return result.ptr;
}

// How the writer spells an ASCII byte inside a string: nothing when the byte stands for itself, else its escape
// ("\n", or "\u001f" built in scratch for control characters without a short form).
std::string_view escapeOf(unsigned char c, bool escapeSlashes, char (&scratch)[6])
{
    switch (c) {
    case '"':
        return "\\\"";
    case '\\':
        return "\\\\";
    case '/':
        return escapeSlashes ? "\\/" : std::string_view();
    case '\b':
        return "\\b";
    case '\f':
        return "\\f";
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    case '\t':
        return "\\t";
    default:
        break;
    }
    if (c >= 0x20) {
        return {};
    }
    scratch[0] = '\\';
    scratch[1] = 'u';
    scratch[2] = '0';
    scratch[3] = '0';
    scratch[4] = kHexDigits[c >> 4];
    scratch[5] = kHexDigits[c & 0xF];
    return {scratch, sizeof scratch};
}

// Walks a text as the writer writes it, handing `emit` each run of bytes written as they are and each escape in
// turn. Throws for text that is not valid UTF-8.
template <class Emit> void walkString(std::string_view text, bool escapeSlashes, Emit&& emit)
{
    std::size_t runStart = 0;
    std::size_t i = 0;
    char scratch[6];
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t length = validSequenceLength(text, i);
            if (length == 0) {
                throw std::invalid_argument("JSON text is not valid UTF-8");
            }
            i += length;
            continue;
        }
        const std::string_view escape = escapeOf(c, escapeSlashes, scratch);
        if (escape.empty()) {
            ++i;
            continue;
        }
        emit(text.substr(runStart, i - runStart));
        emit(escape);
        ++i;
        runStart = i;
    }
    emit(text.substr(runStart));
}

class Writer
{
public:
    Writer(std::string& out, const JsonWriteOptions& options)
        : m_out(out)
        , m_options(options)
    {}

    void write(const nlohmann::json& value, int depth)
    {
        using Type = nlohmann::json::value_t;
        switch (value.type()) {
        case Type::null:
            m_out += "null";
            return;
        case Type::boolean:
            m_out += value.get_ref<const bool&>() ? "true" : "false";
            return;
        case Type::number_integer:
            writeInteger(value.get_ref<const std::int64_t&>());
            return;
        case Type::number_unsigned:
            writeInteger(value.get_ref<const std::uint64_t&>());
            return;
        case Type::number_float:
            writeDouble(value.get_ref<const double&>());
            return;
        case Type::string:
            writeString(value.get_ref<const std::string&>());
            return;
        case Type::array:
            writeArray(value, depth);
            return;
        case Type::object:
            writeObject(value, depth);
            return;
        case Type::binary:
        case Type::discarded:
            break;
        }
        throw std::invalid_argument("JSON value of a type that cannot be written");
    }

private:
    template <class Integer> void writeInteger(Integer number)
    {
        char buffer[24];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
        m_out.append(buffer, result.ptr);
    }

    void writeDouble(double number)
    {
        char buffer[64];
        m_out.append(buffer, formatDouble(number, buffer));
    }

    // Sized first, then filled: a screenshot's text of tens of megabytes is written without regrowing the output
    // or appending piece by piece.
    void writeString(std::string_view text)
    {
        const std::size_t start = m_out.size();
        m_out.resize(start + writtenJsonLength(text, m_options));
        char* out = m_out.data() + start;
        *out++ = '"';
        walkString(text, m_options.escapeSlashes, [&out](std::string_view piece) {
            if (!piece.empty()) {
                std::memcpy(out, piece.data(), piece.size());
                out += piece.size();
            }
        });
        *out = '"';
    }

    void writeArray(const nlohmann::json& array, int depth)
    {
        if (array.empty()) {
            m_out += "[]";
            return;
        }
        m_out += '[';
        bool first = true;
        for (const auto& element : array) {
            separate(first, depth + 1);
            write(element, depth + 1);
        }
        newline(depth);
        m_out += ']';
    }

    // nlohmann::json keeps members in a std::map<std::string, …>, whose order is the byte order of the keys.
    void writeObject(const nlohmann::json& object, int depth)
    {
        if (object.empty()) {
            m_out += "{}";
            return;
        }
        m_out += '{';
        bool first = true;
        for (const auto& [key, member] : object.get_ref<const nlohmann::json::object_t&>()) {
            separate(first, depth + 1);
            writeString(key);
            m_out += m_options.pretty ? " : " : ":";
            write(member, depth + 1);
        }
        newline(depth);
        m_out += '}';
    }

    void separate(bool& first, int depth)
    {
        if (!first) {
            m_out += ',';
        }
        first = false;
        newline(depth);
    }

    void newline(int depth)
    {
        if (m_options.pretty) {
            m_out += '\n';
            m_out.append(static_cast<std::size_t>(depth) * 2, ' ');
        }
    }

    std::string& m_out;
    const JsonWriteOptions& m_options;
};

} // namespace

std::string writeJson(const nlohmann::json& value, const JsonWriteOptions& options)
{
    std::string out;
    Writer(out, options).write(value, 0);
    return out;
}

std::size_t writtenJsonLength(std::string_view text, const JsonWriteOptions& options)
{
    std::size_t length = 2; // the quotes
    const auto count = [&length](std::string_view piece) { length += piece.size(); };
    walkString(text, options.escapeSlashes, count);
    return length;
}

std::size_t writtenJsonLength(std::int64_t number)
{
    char buffer[24];
    return static_cast<std::size_t>(std::to_chars(buffer, buffer + sizeof buffer, number).ptr - buffer);
}

std::size_t writtenJsonLength(double number)
{
    char buffer[64];
    return static_cast<std::size_t>(formatDouble(number, buffer) - buffer);
}

} // namespace tavlen
