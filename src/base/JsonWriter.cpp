#include "JsonWriter.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
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
        if (!std::isfinite(number)) {
            throw std::invalid_argument("JSON cannot hold a NaN or infinite number");
        }
        char buffer[64];
        std::to_chars_result result;
        if (std::trunc(number) == number && std::fabs(number) < kPlainIntegralLimit) {
            result = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed);
        } else {
            result = std::to_chars(buffer, buffer + sizeof buffer, number);
        }
        if (result.ec != std::errc()) {
            throw std::invalid_argument("number could not be formatted");
        }
        m_out.append(buffer, result.ptr);
    }

    void writeString(std::string_view text)
    {
        m_out += '"';
        std::size_t runStart = 0;
        std::size_t i = 0;
        const auto flush = [&] { m_out.append(text.data() + runStart, i - runStart); };
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
            const char* escape = nullptr;
            switch (c) {
            case '"':
                escape = "\\\"";
                break;
            case '\\':
                escape = "\\\\";
                break;
            case '/':
                escape = m_options.escapeSlashes ? "\\/" : nullptr;
                break;
            case '\b':
                escape = "\\b";
                break;
            case '\f':
                escape = "\\f";
                break;
            case '\n':
                escape = "\\n";
                break;
            case '\r':
                escape = "\\r";
                break;
            case '\t':
                escape = "\\t";
                break;
            default:
                break;
            }
            if (escape == nullptr && c >= 0x20) {
                ++i;
                continue;
            }
            flush();
            if (escape != nullptr) {
                m_out += escape;
            } else {
                const char unicode[] = {'\\', 'u', '0', '0', kHexDigits[c >> 4], kHexDigits[c & 0xF]};
                m_out.append(unicode, sizeof unicode);
            }
            ++i;
            runStart = i;
        }
        flush();
        m_out += '"';
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

} // namespace tavlen
